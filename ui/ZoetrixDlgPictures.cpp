// The system menu's "从图片或视频导入帧…": pictures, animated GIFs or
// clips drawn in characters at the animation's size and colours, their
// frames appended after the animation's as the text import appends.
#include <QFile>
#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "document/Screen.h"
#include "picture/PictureImport.h"
#include "platform/JobProgress.h"
#include "project/ProjectFile.h"
#include "res/Texts.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/FileDialog.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using output::AppendProject;
using output::ProjectResult;

using namespace ui;

void CZoetrixDlg::OnImportPictureFrames() {
  UpdateData(true);
  if (m_doc.m_bCreated == 0) {
    ZMessageBox(U(res::kNoAnimation));
    return;
  }
  const QStringList chosen = GetOpenFileNames(this, U(res::kImportPicturesFilter));
  if (chosen.isEmpty()) return;
  // Several pictures follow one another as a folder's do: "2.png" before "10.png".
  std::vector<std::string> files;
  for (const QString& name : chosen) files.push_back(QFile::encodeName(name).toStdString());
  std::sort(files.begin(), files.end(), picture::NaturalLess);
  if (!OnlyFiles(files, res::kPictureUnreadable)) return;

  const document::Animation& now = m_doc.m_animation;
  picture::PictureImportOptions options;
  options.characters.width = now.m_nAnimWide;
  options.characters.height = now.m_nAnimHigh;
  options.characters.colors = document::ShownColors(now.m_strColor);
  options.rate = now.m_nRate;
  options.maxFrames = document::kMaxFrames - now.FrameCount();

  // Drawn on the job's thread into an animation of its own: until it ends
  // the document is untouched, so cancelling leaves it as it was.
  document::Animation made;
  picture::PictureImportResult imported;
  const bool completed = RunWindowJob(res::kJobImportPictures, [&](platform::JobProgress& job) {
    try {
      imported = picture::ImportPictures(
          files, options,
          [&](const document::FrameText& text, long long count) {
            made.m_frames.Insert(made.m_frames.Size(), text, static_cast<std::size_t>(count));
            return true;
          },
          &job);
    } catch (const std::bad_alloc&) {
      imported.error = res::kPictureOutOfMemory;
    }
    return !imported.cancelled;
  });
  if (!completed) return;
  if (!imported.error.empty()) {
    ZMessageBox(QString::fromStdString(imported.error));
    return;
  }
  // What the edit area holds belongs to the frame it shows.
  if (!KeepEditText()) return;
  const ProjectResult appended = AppendProject(m_doc, made, document::StepKind::kImportPictures);
  if (!appended.ok()) {
    ZMessageBox(QString::fromStdString(appended.error));
    return;
  }
  FinishOpening();
}

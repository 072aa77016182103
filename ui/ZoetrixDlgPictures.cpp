// The system menu's "从图片或视频导入帧…": a picture, an animated GIF or a
// clip drawn in characters at the animation's size and colours, its frames
// appended after the animation's as the text import appends.
#include <QFile>
#include <QProgressDialog>
#include <new>

#include "document/Screen.h"
#include "picture/PictureImport.h"
#include "project/ProjectFile.h"
#include "res/Texts.h"
#include "ui/ImportProgress.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/FileDialog.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using output::AppendProject;
using output::ProjectResult;

using namespace ui;

namespace {

std::function<void(QProgressDialog&)>& ProgressHook() {
  static std::function<void(QProgressDialog&)> hook;
  return hook;
}

constexpr int kProgressSteps = 1000;

}  // namespace

void ui::SetImportProgressHookForTesting(std::function<void(QProgressDialog&)> hook) {
  ProgressHook() = std::move(hook);
}

void CZoetrixDlg::OnImportPictureFrames() {
  UpdateData(true);
  if (m_doc.m_bCreated == 0) {
    ZMessageBox(U(res::kNoAnimation));
    return;
  }
  const QString chosen = GetOpenFileName(this, U(res::kImportPicturesFilter), QString());
  if (chosen.isEmpty()) return;
  const std::string path = QFile::encodeName(chosen).toStdString();

  const document::Animation& now = m_doc.m_animation;
  picture::PictureImportOptions options;
  options.characters.width = now.m_nAnimWide;
  options.characters.height = now.m_nAnimHigh;
  options.characters.colors = document::ShownColors(now.m_strColor);
  options.rate = now.m_nRate;
  options.maxFrames = document::kMaxFrames - now.FrameCount();

  // Shown only when the import takes a while; until it ends the animation
  // is untouched, so cancelling leaves it as it was.
  QProgressDialog progress(U(res::kImportPicturesProgress), U(res::kImportPicturesCancel), 0,
                           kProgressSteps, this);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(800);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  // Once it shows, setting its value lets events run (the window below is
  // blocked, 取消 answers); before that none run, so nothing else can change
  // the animation while it is being read.
  const auto step = [&](double done) {
    progress.setValue(static_cast<int>(done * kProgressSteps));
    if (ProgressHook()) ProgressHook()(progress);
    return !progress.wasCanceled();
  };
  picture::PictureAnimationResult made;
  try {
    made = picture::MakePictureAnimation({path}, options, document::DefaultAnimation(), step);
  } catch (const std::bad_alloc&) {
    made.import.error = res::kPictureOutOfMemory;
  }
  progress.close();
  if (made.import.cancelled) return;
  if (!made.import.error.empty()) {
    ZMessageBox(QString::fromStdString(made.import.error));
    return;
  }
  // What the edit area holds belongs to the frame it shows.
  if (!KeepEditText()) return;
  const ProjectResult appended =
      AppendProject(m_doc, made.animation, document::StepKind::kImportPictures);
  if (!appended.ok()) {
    ZMessageBox(QString::fromStdString(appended.error));
    return;
  }
  FinishOpening();
}

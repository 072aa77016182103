// The system menu's sharing items (web page, GIF, asciicast, Windows
// program) and frames imported from a text file (pictures: see
// ZoetrixDlgPictures.cpp).
#include <QFile>

#include "project/TextFrames.h"
#include "res/Texts.h"
#include "share/Share.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/FileDialog.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using output::AppendProject;
using output::MakeTextAnimation;
using output::ProjectResult;
using output::ReadTextFramesFile;
using output::ShareAnimation;
using output::ShareFormat;
using output::SharePath;
using output::TextFramesResult;

using namespace ui;

namespace {

// System command identifiers: multiples of 16 after About's 16.
constexpr int kSysShareHtml = 32;
constexpr int kSysShareGif = 48;
constexpr int kSysShareCast = 64;
constexpr int kSysShareWindows = 80;
constexpr int kSysImportText = 96;
constexpr int kSysImportPictures = 112;

struct ShareItem {
  int id;
  ShareFormat format;
  const char* menuText;
  const char* done;
  const char* job;
};

const ShareItem kShareItems[] = {
    {kSysShareHtml, ShareFormat::Html, res::kShareHtmlMenuText, res::kShareHtmlDone,
     res::kJobShareHtml},
    {kSysShareGif, ShareFormat::Gif, res::kShareGifMenuText, res::kShareGifDone, res::kJobShareGif},
    {kSysShareCast, ShareFormat::Cast, res::kShareCastMenuText, res::kShareCastDone,
     res::kJobShareCast},
    {kSysShareWindows, ShareFormat::Windows, res::kShareWindowsMenuText, res::kShareWindowsDone,
     res::kJobShareWindows},
};

const ShareItem& ItemOf(ShareFormat format) {
  for (const ShareItem& item : kShareItems)
    if (item.format == format) return item;
  return kShareItems[0];
}

}  // namespace

void CZoetrixDlg::AppendShareMenu() {
  AppendSystemMenu(0, {});
  for (const ShareItem& item : kShareItems) AppendSystemMenu(item.id, U(item.menuText));
  AppendSystemMenu(kSysImportText, U(res::kImportTextMenuText));
  AppendSystemMenu(kSysImportPictures, U(res::kImportPicturesMenuText));
}

bool CZoetrixDlg::OnShareCommand(int sysCommand) {
  if (sysCommand == kSysImportText) {
    OnImportTextFrames();
    return true;
  }
  if (sysCommand == kSysImportPictures) {
    OnImportPictureFrames();  // ZoetrixDlgPictures.cpp
    return true;
  }
  for (const ShareItem& item : kShareItems) {
    if (item.id != sysCommand) continue;
    OnShare(item.format);
    return true;
  }
  return false;
}

void CZoetrixDlg::OnShare(ShareFormat format) {
  UpdateData(true);
  if (m_doc.m_bCreated == 0) {
    ZMessageBox(U(res::kNoAnimation));
    return;
  }
  // The picture being drawn counts, as for "开始导出".
  OnSaveFrame();
  const ShareItem& item = ItemOf(format);
  // The job draws a copy: the window may repaint meanwhile.
  const document::Animation animation = m_doc.m_animation;
  const bool endless = m_doc.m_bEndless == 1;
  std::string problem;
  const bool ran = RunWindowJob(item.job, [&](platform::JobProgress& progress) {
    problem = ShareAnimation(animation, m_doc.m_export, format, endless, &progress);
    return problem.empty() || !progress.Cancelled();
  });
  if (!ran) return;
  if (!problem.empty()) {
    ZMessageBox(QString::fromStdString(problem));
    return;
  }
  ZMessageBox(U(item.done).arg(QString::fromStdString(SharePath(m_doc.m_export, format))));
  NoteFramesBeyondCanvas();
}

void CZoetrixDlg::OnImportTextFrames() {
  UpdateData(true);
  if (m_doc.m_bCreated == 0) {
    ZMessageBox(U(res::kNoAnimation));
    return;
  }
  const QString chosen = GetOpenFileName(this, U(res::kImportTextFilter), QStringLiteral("txt"));
  if (chosen.isEmpty()) return;
  // The file system's own bytes, whatever the name's encoding.
  const std::string path = QFile::encodeName(chosen).toStdString();
  if (!OnlyFiles({path}, res::kTextUnreadable)) return;
  // Read and split as it comes: an enormous or endless file is refused at a
  // limit, and until the frames are all there nothing here has changed.
  TextFramesResult split;
  if (!RunWindowJob(res::kJobImportText, [&](platform::JobProgress& progress) {
        split = ReadTextFramesFile(path, {}, &progress);
        return split.ok() || !progress.Cancelled();
      }))
    return;
  if (!split.ok()) {
    ZMessageBox(QString::fromStdString(split.error));
    return;
  }
  // What the edit area holds belongs to the frame it shows, as when a
  // project is appended.
  if (!KeepEditText()) return;
  const ProjectResult appended = AppendProject(m_doc, MakeTextAnimation(std::move(split.frames)),
                                               document::StepKind::kImportText);
  if (!appended.ok()) {
    ZMessageBox(QString::fromStdString(appended.error));
    return;
  }
  FinishOpening();
}

// Export, release of the code file, and opening projects.
#include <QFile>
#include <filesystem>

#include "document/AnimationFiles.h"
#include "output/Export.h"
#include "output/ProjectFile.h"
#include "platform/Clock.h"
#include "res/Texts.h"
#include "ui/MessageBoxPrompter.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/FileDialog.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using namespace ui;

void CZoetrixDlg::OnExport() {
  UpdateData(true);
  if (m_bCreated == 0) {
    ZMessageBox(U(res::kNoAnimation));
    return;
  }
  OnSaveFrame();
  const ExportOptions options{m_bSaveCode == 1, m_bCompile == 1, m_bSaveProject == 1,
                              m_bEndless == 1};
  // The fields are brought up to date before the closing message.
  MessageBoxPrompter prompter([this] { UpdateData(false); });
  if (ExportAnimation(*this, options, GetProgramFolder(), prompter) == ExportEnd::ToolEnds) {
    // The compiler could not be started at all; its message said the tool ends.
    EndDialog(IDCANCEL);
  }
}

void CZoetrixDlg::OnReleaseCodeFile() {
  MessageBoxPrompter prompter;
  ReleaseCodeFile(*this, prompter);
}

void CZoetrixDlg::OnOpenProject() {
  UpdateData(true);
  // Projects are saved in Project/ of the tool's folder: look there first.
  const QString chosen =
      GetOpenFileName(this, U("工程文件(*.ini)"), QStringLiteral("ini"),
                      QFile::decodeName(QByteArray::fromStdString(GetProgramFolder() + "Project")));
  if (chosen.isEmpty()) return;
  // The file system's own bytes, whatever the name's encoding.
  const std::filesystem::path path(QFile::encodeName(chosen).toStdString());
  if (m_bAppend == 1 ? !OpenProjectAppending(path) : !OpenProjectReplacing(path)) return;
  // The last frame is the one being edited: the edit area shows its text, so
  // the next save or export keeps it instead of overwriting it.
  if (m_nFrames > 0) m_strEditText = m_frames.Last().Text();
  UpdateData(false);
  // Also with no frames at all, so the selectors never show stale items.
  RefreshFrameControls();
  m_bCreated = 1;
  ZMessageBox(U("已导入！"));
}

bool CZoetrixDlg::OpenProjectAppending(const std::filesystem::path& path) {
  if (m_bCreated == 0) {
    ZMessageBox(U(res::kNoAnimation));
    return false;
  }
  ProjectReadResult read = ReadProjectFile(path);
  if (!read.ok()) {
    ZMessageBox(QString::fromStdString(read.error));
    return false;
  }
  // What the edit area holds belongs to the frame that was last until now.
  if (m_nFrames > 0) m_frames.Last().pText = MakeFrameText(m_strEditText);
  const ProjectResult appended = AppendProject(*this, std::move(read.data));
  if (!appended.ok()) ZMessageBox(QString::fromStdString(appended.error));
  return appended.ok();
}

bool CZoetrixDlg::OpenProjectReplacing(const std::filesystem::path& path) {
  if (m_bCreated == 1 &&
      ZMessageBox(
          U("你确定要打开一个动画工程吗？\n你没有勾选\"叠加到当前动画后\"\n"
            "请确定现在的动画已经保存，否则现在的动画将会被新的动画覆盖。点击取消来取消新建任务。"),
          MB_OKCANCEL) == IDCANCEL)
    return false;
  ProjectReadResult read = ReadProjectFile(path);
  if (!read.ok()) {
    ZMessageBox(QString::fromStdString(read.error));
    return false;
  }
  const platform::LocalTime now = platform::Now();
  AnimationPaths paths;
  if (!StartCodeFile(MakeProjectProgramHeader(read.data, now), &paths)) return false;
  ReplaceWithProject(*this, std::move(read.data), paths, now);
  SetDlgItemText(1011, U(res::kStatusEditing) + QString::fromStdString(m_strCodePath));
  return true;
}

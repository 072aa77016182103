// Export, release of the code file, and opening projects.
#include <QFile>
#include <filesystem>
#include <utility>

#include "document/AnimationFiles.h"
#include "output/Export.h"
#include "output/ProjectFile.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "res/Templates.h"
#include "res/Texts.h"
#include "ui/MessageBoxPrompter.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/FileDialog.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using namespace ui;

namespace {

// When the file was last written; the minimum when it is not there.
std::filesystem::file_time_type WrittenAt(const std::string& path) {
  std::error_code ec;
  const auto time = std::filesystem::last_write_time(path, ec);
  return ec ? std::filesystem::file_time_type::min() : time;
}

}  // namespace

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
  // The export may stop after the project is written (at the compiler's
  // question, say); the project file's time tells whether it was.
  const auto projectBefore = WrittenAt(m_strProjectPath);
  const ExportEnd end = ExportAnimation(*this, options, platform::ShareFolder(), prompter);
  if (options.saveProject && WrittenAt(m_strProjectPath) != projectBefore) MarkRecoverySaved();
  if (end == ExportEnd::ToolEnds) {
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
  // Projects are saved in Project/ of the work folder: look there first.
  const QString chosen = GetOpenFileName(
      this, U("工程文件(*.ini)"), QStringLiteral("ini"),
      QFile::decodeName(QByteArray::fromStdString(platform::WorkFolder() + "Project")));
  if (chosen.isEmpty()) return;
  // The file system's own bytes, whatever the name's encoding.
  const std::filesystem::path path(QFile::encodeName(chosen).toStdString());
  if (m_bAppend == 1) {
    if (!OpenProjectAppending(path)) return;
    FinishOpening();
    return;
  }
  if (!OpenProjectReplacing(path)) return;
  // The animation is the file just opened: nothing to recover yet.
  FinishOpening(true);
}

void CZoetrixDlg::OpenStartProject() {
  if (m_startProject.empty()) return;
  const std::filesystem::path path = std::exchange(m_startProject, {});
  UpdateData(true);
  if (!OpenProjectReplacing(path)) return;
  FinishOpening(true);
}

// The window names the project file it opened; a new animation has none.
void CZoetrixDlg::ShowProjectInTitle(const std::filesystem::path& project) {
  QString title = U(res::kMainDialog.caption);
  if (!project.empty())
    title += U(res::kTitleProjectSeparator) +
             QFile::decodeName(QByteArray::fromStdString(project.filename().string()));
  setWindowTitle(title);
}

void CZoetrixDlg::FinishOpening(bool nothingToRecover) {
  // The last frame is the one being edited: the edit area shows its text, so
  // the next save or export keeps it instead of overwriting it.
  if (m_nFrames > 0) m_strEditText = m_frames.Last().Text();
  UpdateData(false);
  // Also with no frames at all, so the selectors never show stale items.
  RefreshFrameControls();
  m_bCreated = 1;
  // Before the closing message, which lets the recovery timer run: an
  // animation just read from its file is no change to keep.
  if (nothingToRecover) MarkRecoverySaved();
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
  // What the edit area holds belongs to the frame it shows.
  if (!KeepEditText()) return false;
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
  if (!ReplaceWithProjectData(read.data)) return false;
  ShowProjectInTitle(path);
  return true;
}

// The project becomes the current animation, with a new code file.
bool CZoetrixDlg::ReplaceWithProjectData(ProjectData& data) {
  const platform::LocalTime now = platform::Now();
  AnimationPaths paths;
  if (!StartCodeFile(MakeProjectProgramHeader(data, now), &paths)) return false;
  ReplaceWithProject(*this, std::move(data), paths, now);
  SetDlgItemText(1011, U(res::kStatusEditing) + QString::fromStdString(m_strCodePath));
  return true;
}

// Export, release of the code file, and opening projects.
#include <QFile>
#include <filesystem>
#include <utility>

#include "document/AnimationFiles.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "program/Export.h"
#include "project/ProjectFile.h"
#include "res/ControlIds.h"
#include "res/Templates.h"
#include "res/Texts.h"
#include "ui/MessageBoxPrompter.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/FileDialog.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using document::AnimationPaths;

using output::AppendProject;
using output::ExportAnimation;
using output::ExportEnd;
using output::ExportOptions;
using output::ProjectReadResult;
using output::ProjectResult;
using output::ReadProjectFile;
using output::ReleaseCodeFile;
using output::ReplaceWithProject;

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
  if (m_doc.m_bCreated == 0) {
    ZMessageBox(U(res::kNoAnimation));
    return;
  }
  OnSaveFrame();
  const ExportOptions options{m_doc.m_bSaveCode == 1, m_doc.m_bCompile == 1,
                              m_doc.m_bSaveProject == 1, m_doc.m_bEndless == 1};
  // The fields are brought up to date before the closing message.
  MessageBoxPrompter prompter([this] { UpdateData(false); });
  // The export may stop after the project is written (at the compiler's
  // question, say); the project file's time tells whether it was.
  const auto projectBefore = WrittenAt(m_doc.m_export.m_strProjectPath);
  // The job writes a copy: the window may repaint meanwhile. Its messages
  // and questions open on the window's thread, in their usual order.
  const document::Animation animation = m_doc.m_animation;
  ExportEnd end = ExportEnd::Stopped;
  RunWindowJob(res::kJobWriteCode, [&](platform::JobProgress& progress) {
    end = ExportAnimation(animation, m_doc.m_export, options, platform::ShareFolder(), prompter,
                          &progress);
    return end != ExportEnd::Cancelled;
  });
  if (options.saveProject && WrittenAt(m_doc.m_export.m_strProjectPath) != projectBefore)
    MarkRecoverySaved(m_doc.m_export.m_strProjectPath);
  NoteFramesBeyondCanvas();
  if (end == ExportEnd::ToolEnds) {
    // The compiler could not be started at all; its message said the tool ends.
    EndDialog(IDCANCEL);
  }
}

void CZoetrixDlg::OnReleaseCodeFile() {
  MessageBoxPrompter prompter;
  ReleaseCodeFile(m_doc.m_export, prompter);
}

void CZoetrixDlg::OnOpenProject() {
  UpdateData(true);
  // Projects are saved in Project/ of the work folder: look there first.
  const QString chosen = GetOpenFileName(
      this, U(res::kProjectFilter), QStringLiteral("ini"),
      QFile::decodeName(QByteArray::fromStdString(platform::WorkFolder() + "Project")));
  if (chosen.isEmpty()) return;
  // The file system's own bytes, whatever the name's encoding.
  const std::filesystem::path path(QFile::encodeName(chosen).toStdString());
  if (m_doc.m_bAppend == 1) {
    if (!OpenProjectAppending(path)) return;
    FinishOpening();
    return;
  }
  if (!OpenProjectReplacing(path)) return;
  // The animation is the file just opened: nothing to recover yet.
  FinishOpening(true, path);
}

void CZoetrixDlg::OpenStartProject() {
  if (m_startProject.empty()) return;
  const std::filesystem::path path = std::exchange(m_startProject, {});
  UpdateData(true);
  if (!OpenProjectReplacing(path)) return;
  FinishOpening(true, path);
}

// The window names the project file it opened; a new animation has none.
void CZoetrixDlg::ShowProjectInTitle(const std::filesystem::path& project) {
  m_titleProject = project;
  QString title = U(res::kMainDialog.caption);
  if (!project.empty())
    title += U(res::kTitleProjectSeparator) +
             QFile::decodeName(QByteArray::fromStdString(project.filename().string()));
  setWindowTitle(title);
}

void CZoetrixDlg::FinishOpening(bool nothingToRecover, const std::filesystem::path& opened) {
  // The last frame is the one being edited: the edit area shows its text, so
  // the next save or export keeps it instead of overwriting it.
  m_doc.EditLastFrame();
  UpdateData(false);
  // Also with no frames at all, so the selectors never show stale items.
  RefreshFrameControls();
  m_doc.m_bCreated = 1;
  // Before the closing message, which lets the recovery timer run: an
  // animation just read from its file is no change to keep.
  if (nothingToRecover) MarkRecoverySaved(opened);
  ZMessageBox(U(res::kImported));
}

bool CZoetrixDlg::OpenProjectAppending(const std::filesystem::path& path) {
  if (m_doc.m_bCreated == 0) {
    ZMessageBox(U(res::kNoAnimation));
    return false;
  }
  ProjectReadResult read;
  if (!ReadProjectJob(path, read)) return false;
  // What the edit area holds belongs to the frame it shows.
  if (!KeepEditText()) return false;
  const ProjectResult appended = AppendProject(m_doc, read.animation);
  if (!appended.ok()) ZMessageBox(QString::fromStdString(appended.error));
  return appended.ok();
}

bool CZoetrixDlg::OpenProjectReplacing(const std::filesystem::path& path) {
  if (m_doc.m_bCreated == 1 && ZMessageBox(U(res::kOpenReplaceQuestion), MB_OKCANCEL) == IDCANCEL)
    return false;
  ProjectReadResult read;
  if (!ReadProjectJob(path, read)) return false;
  if (!ReplaceWithProjectAnimation(read.animation)) return false;
  ShowProjectInTitle(path);
  return true;
}

// Reads the project off the window's thread; false after telling the user
// why it could not be read, or when the reading was cancelled.
bool CZoetrixDlg::ReadProjectJob(const std::filesystem::path& path, ProjectReadResult& read) {
  if (!RunWindowJob(res::kJobOpenProject, [&](platform::JobProgress& progress) {
        read = ReadProjectFile(path, std::size_t{1} << 20, &progress);
        return read.ok() || !progress.Cancelled();
      }))
    return false;
  if (read.ok()) return true;
  ZMessageBox(U(res::kOpenFailedNamed)
                  .arg(QString::fromStdString(read.error), QFile::decodeName(path.c_str())));
  return false;
}

// The project becomes the current animation, with a new code file.
bool CZoetrixDlg::ReplaceWithProjectAnimation(document::Animation& project) {
  const platform::LocalTime now = platform::Now();
  AnimationPaths paths;
  if (!StartCodeFile(project, now, &paths)) return false;
  ReplaceWithProject(m_doc, std::move(project), paths, now);
  SetDlgItemText(res::IDC_EDITING_STATUS,
                 U(res::kStatusEditing) + QString::fromStdString(m_doc.m_export.m_strCodePath));
  return true;
}

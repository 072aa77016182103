// The recovery copy of the animation: kept up to date in the background
// while the animation has changes no exported project holds, offered when
// the tool starts after a run that did not end through the exit question,
// and kept when a signal ends the window.
#include <unistd.h>

#include <QDateTime>
#include <QFileInfo>
#include <QSocketNotifier>
#include <filesystem>

#include "platform/ProgramFolder.h"
#include "platform/SignalPipe.h"
#include "project/ProjectFile.h"
#include "project/RecoveryCopy.h"
#include "res/ControlIds.h"
#include "res/Texts.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"
#include "ui/framework/Modal.h"

using output::ProjectReadResult;
using output::RecoveryCopy;
using output::RecoveryOrphan;

using namespace ui;

void CZoetrixDlg::StartRecovery() {
  m_recovery = std::make_unique<RecoveryCopy>(
      std::filesystem::path(platform::WorkFolder()) / "data", static_cast<long>(::getpid()));
  // The copy follows the frames through the history, writing what changed.
  m_doc.m_history.Watch(&m_recovery->Watcher());
  SetTimer(kTimerRecovery, kRecoveryInterval);
}

// What is being typed counts: the edit area's text stands for the frame it
// shows. Only a change since the last write starts a new one, which writes
// what changed.
void CZoetrixDlg::SaveRecoveryCopy() {
  if (!m_recovery) return;
  const std::string error = m_recovery->TakeError();
  if (!error.empty() && !m_recoveryErrorShown) {
    m_recoveryErrorShown = true;  // once: the timer would repeat it every few seconds
    ZMessageBox(QString::fromStdString(error));
  }
  if (m_doc.m_bCreated == 0) return;
  std::string text;
  const int shown = EditAreaText(text) ? m_nEditShown : -1;
  m_recovery->Keep(m_doc.m_animation, shown, text);
}

// project: the file the animation now equals, which the copy may take as
// its base when the animation changes, instead of writing it again.
void CZoetrixDlg::MarkRecoverySaved(const std::filesystem::path& project) {
  if (!m_recovery) return;
  std::string text;
  const int shown = EditAreaText(text) ? m_nEditShown : -1;
  m_recovery->MarkSaved(RecoveryCopy::Snapshot(m_doc.m_animation, shown, text), project);
}

// The tool ends: without the exit question (the compiler could not be
// started) the copy is brought up to date and stays to be offered.
void CZoetrixDlg::EndRecovery(bool userConfirmedExit) {
  if (!m_recovery) return;
  if (userConfirmedExit) {
    m_recovery->Discard();
  } else if (m_doc.m_bCreated == 1) {
    std::string text;
    const int shown = EditAreaText(text) ? m_nEditShown : -1;
    m_recovery->KeepNow(m_doc.m_animation, shown, text);
  }
  m_doc.m_history.Watch(nullptr);
  m_recovery.reset();
}

// Copies are offered newest first until one is opened; those declined are
// deleted, the rest wait for the next start (only one animation is open at
// a time).
void CZoetrixDlg::OfferRecoveryCopy() {
  if (!m_recovery) return;
  for (RecoveryOrphan& orphan : m_recovery->FindOrphans()) {
    const std::filesystem::path copy = orphan.Copy();
    ProjectReadResult read = RecoveryCopy::Read(orphan);
    if (!read.ok()) {
      // Kept for the user under a name that is not offered again.
      const std::filesystem::path kept = RecoveryCopy::KeepUnreadable(std::move(orphan));
      ZMessageBox(U(res::kRecoveryUnreadable)
                      .arg(QString::fromStdString((kept.empty() ? copy : kept).string())));
      continue;
    }
    // Written last when its journal was.
    const QFileInfo journal(QString::fromStdString(orphan.Journal().string()));
    QDateTime written = QFileInfo(QString::fromStdString(copy.string())).lastModified();
    if (journal.exists() && journal.lastModified() > written) written = journal.lastModified();
    const QString when = written.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QString question = U(res::kRecoveryQuestion)
                                 .arg(FromGbk(read.animation.m_strAnimName))
                                 .arg(read.animation.FrameCount())
                                 .arg(when);
    if (ZMessageBox(question, MB_OKCANCEL) == IDCANCEL) {
      if (ModalRunsEnded()) return;  // not declined: the window is ending
      RecoveryCopy::Remove(std::move(orphan));
      continue;
    }
    // The copy stays for the next start, also when the window ended meanwhile.
    if (!ReplaceWithProjectAnimation(read.animation) || !m_recovery) return;
    // Taken over before the closing message, which lets the timer run: the
    // copy already holds this animation.
    m_recovery->Adopt(std::move(orphan), RecoveryCopy::Snapshot(m_doc.m_animation, -1, {}));
    FinishOpening();
    return;
  }
}

void CZoetrixDlg::EndOnSignals(int fd) {
  if (fd < 0) return;
  auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this, fd] {
    if (const int signal = platform::TakeEndSignal(fd)) EndWithoutQuestion(signal);
  });
}

// Runs from whatever event loop is running, a message box's included. The
// copy is written first, so whatever the dialogs being closed go on to do,
// the work is safe; then every dialog ends as cancelled and no question is
// asked any more.
void CZoetrixDlg::EndWithoutQuestion(int signal) {
  if (m_endSignal != 0) return;
  m_endSignal = signal;
  for (int timer : {kTimerPlayback, kTimerStartupTips, kTimerRecovery}) KillTimer(timer);
  m_startProject.clear();  // not opened on the way out
  EndRecovery(false);
  EndModalRuns();
  EndDialog(IDCANCEL);
}

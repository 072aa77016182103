// The recovery copy seen from the main window: kept while the animation has
// unexported changes, gone after an export or the exit question, offered
// once at the next start after a crash.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <thread>

#include "platform/SignalPipe.h"
#include "project/ProjectFile.h"
#include "project/RecoveryCopy.h"
#include "res/ControlIds.h"
#include "tests/GuiTestSupport.h"
#include "ui/framework/MessageBox.h"
#include "ui/framework/Modal.h"

using output::ProjectReadResult;
using output::ReadProjectFile;

namespace fs = std::filesystem;
using namespace guitest;

namespace {

// Brings the copy up to date as the timer would, and waits for the write.
void Save(CZoetrixDlg& d) {
  d.SaveRecoveryCopy();
  d.Recovery()->Wait();
}

constexpr const char* kCrashedCopy =
    "[AnimatedProperties]\r\nName=crashed\r\nWide=30\r\nHigh=11\r\n"
    "Color=2E\r\nFrameRate=5\r\nFrameNum=3\r\n[AnimatePicture]\r\n"
    "Frame1=one\r\nFrame2=two\\nlines\r\nFrame3=typed\r\n";

// A copy left by a run that was killed: its lock file is not held.
void LeaveCrashedCopy(const fs::path& folder) {
  testsupport::WriteFile(folder / "data" / "Recovery-999999.ini", kCrashedCopy);
  testsupport::WriteFile(folder / "data" / "Recovery-999999.lock", "");
}

// The names in a folder.
std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

}  // namespace

TEST(Recovery, KeptWhileChangedWithTheTypingGoneAfterExportAndExit) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  const fs::path copy = d.Recovery()->Path();
  EXPECT_EQ(copy.parent_path(), w.folder().path() / "data");
  EXPECT_TRUE(d.HasTimer(CZoetrixDlg::kTimerRecovery));
  Save(d);
  EXPECT_FALSE(fs::exists(copy));  // no animation
  w.Click(res::IDC_CREATE);
  Save(d);
  EXPECT_FALSE(fs::exists(copy));  // a new blank animation holds nothing to lose

  w.SetText(res::IDC_EDIT_AREA, "first");
  w.Click(res::IDC_APPEND_BLANK);
  w.SetText(res::IDC_EDIT_AREA, "being typed");
  Save(d);
  ProjectReadResult read = ReadProjectFile(copy);
  ASSERT_TRUE(read.ok()) << read.error;
  ASSERT_EQ(read.animation.FrameCount(), 2);
  EXPECT_EQ(read.animation.m_frames.At(0)->Text(), "first");
  EXPECT_EQ(read.animation.m_frames.At(1)->Text(), "being typed");

  // Exporting a project: nothing is left to recover.
  w.Click(res::IDC_SAVE_PROJECT);  // "保存工程"
  w.Click(res::IDC_EXPORT);
  ASSERT_TRUE(fs::exists(d.doc().m_export.m_strProjectPath));
  EXPECT_FALSE(fs::exists(copy));
  Save(d);
  EXPECT_FALSE(fs::exists(copy));
  w.SetText(res::IDC_EDIT_AREA, "more");
  Save(d);
  EXPECT_TRUE(fs::exists(copy));

  hooks.answer = ui::IDOK;
  w.Click(res::IDC_EXIT);  // the exit question
  EXPECT_FALSE(w.dlg().isVisible());
  EXPECT_FALSE(fs::exists(copy));
}

TEST(Recovery, ACrashedRunsCopyIsOfferedAndOpened) {
  Hooks hooks;
  MainWindow w(hooks, LeaveCrashedCopy);
  CZoetrixDlg& d = w.dlg();
  ASSERT_GE(hooks.messages.size(), 2);
  EXPECT_TRUE(hooks.messages[0].contains(QString::fromUtf8("恢复副本")));
  EXPECT_TRUE(hooks.messages[0].contains("crashed"));
  EXPECT_EQ(hooks.messageTypes[0], ui::MB_OKCANCEL);
  EXPECT_EQ(hooks.messages[1], QString::fromUtf8("已导入！"));
  EXPECT_EQ(d.doc().m_bCreated, 1);
  EXPECT_EQ(d.doc().m_animation.m_strAnimName, "crashed");
  EXPECT_EQ(d.doc().m_animation.m_nAnimWide, 30);
  EXPECT_EQ(d.doc().m_animation.m_nAnimHigh, 11);
  EXPECT_EQ(d.doc().m_animation.m_strColor, "2E");
  EXPECT_EQ(d.doc().m_animation.m_nRate, 5);
  ASSERT_EQ(d.doc().FrameCount(), 3);
  EXPECT_EQ(d.doc().m_animation.m_frames.At(1)->Text(), "two\r\nlines");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "typed");
  EXPECT_TRUE(fs::exists(d.doc().m_export.m_strCodePath));
  // The copy is now this run's own, and asked about only once.
  EXPECT_FALSE(fs::exists(w.folder().path() / "data" / "Recovery-999999.ini"));
  EXPECT_TRUE(fs::exists(d.Recovery()->Path()));
  hooks.messages.clear();
  d.OfferRecoveryCopy();
  EXPECT_TRUE(hooks.messages.isEmpty());
}

TEST(Recovery, DecliningTheOfferDeletesTheCopy) {
  Hooks hooks;
  hooks.answer = ui::IDCANCEL;
  MainWindow w(hooks, LeaveCrashedCopy);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_EQ(w.dlg().doc().m_bCreated, 0);
  EXPECT_FALSE(fs::exists(w.folder().path() / "data" / "Recovery-999999.ini"));
}

TEST(Recovery, AnUnreadableCopyIsKeptBesideOneKeptEarlierUnderTheSameNumber) {
  const std::string unreadable = "\x01\x02 not a project";
  Hooks hooks;
  MainWindow w(hooks, [&](const fs::path& folder) {
    // Kept by an earlier start, after another run with the same process id.
    testsupport::WriteFile(folder / "data" / "Recovery-999999.unreadable.ini", "earlier");
    testsupport::WriteFile(folder / "data" / "Recovery-999999.ini", unreadable);
  });
  const fs::path data = w.folder().path() / "data";
  ASSERT_EQ(hooks.messages.size(), 1);
  const QString said = QString::fromUtf8("恢复副本无法打开，已保留在：\n");
  ASSERT_TRUE(hooks.messages[0].startsWith(said)) << hooks.messages[0].toStdString();
  const fs::path kept = hooks.messages[0].mid(said.size()).toStdString();
  EXPECT_EQ(kept.parent_path(), data);
  EXPECT_NE(kept, data / "Recovery-999999.unreadable.ini");
  EXPECT_EQ(testsupport::ReadFile(kept), unreadable);
  EXPECT_EQ(testsupport::ReadFile(data / "Recovery-999999.unreadable.ini"), "earlier");
  EXPECT_FALSE(fs::exists(data / "Recovery-999999.ini"));
  // Neither is offered again.
  hooks.messages.clear();
  w.dlg().OfferRecoveryCopy();
  EXPECT_TRUE(hooks.messages.isEmpty());
}

namespace {

// The built tool, copied into a folder of its own (which it then works in),
// started as a user would start the window, with no display but offscreen.
class WindowProcess {
 public:
  explicit WindowProcess(const std::function<void(const fs::path&)>& prepare) {
    for (const char* sub : {"Code", "Animate", "Project", "data"})
      fs::create_directory(m_dir.path() / sub);
    prepare(m_dir.path());
    const fs::path tool = m_dir.path() / "zoetrix";
    fs::copy_file(ZOETRIX_BINARY, tool);
    fs::permissions(tool, fs::perms::owner_all, fs::perm_options::add);

    std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "LANG=C.UTF-8"};
    for (const char* name : {"PATH", "HOME", "TMPDIR", "XDG_RUNTIME_DIR"})
      if (const char* v = std::getenv(name)) env.push_back(std::string(name) + "=" + v);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string toolName = tool.string();
    char* argv[] = {toolName.data(), nullptr};

    // The window starts with the usual signal handling, whatever the test
    // process has.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, ends;
    sigemptyset(&none);
    sigemptyset(&ends);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&ends, sig);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &ends);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    if (::posix_spawn(&m_pid, toolName.c_str(), &files, &attr, argv, envp.data()) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attr);
  }
  ~WindowProcess() {
    if (m_pid > 0) {
      ::kill(m_pid, SIGKILL);
      ::waitpid(m_pid, nullptr, 0);
    }
  }
  pid_t pid() const { return m_pid; }
  fs::path Data() const { return m_dir.path() / "data"; }

  // Waits (a generous while at most) until the condition holds.
  static bool WaitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 3000; ++i) {
      if (condition()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  // Whether this process holds an flock on the file.
  bool Holds(const fs::path& file) const {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return false;
    std::ifstream locks("/proc/locks");
    const std::string pid = " " + std::to_string(m_pid) + " ";
    const std::string inode = ":" + std::to_string(st.st_ino) + " ";
    for (std::string line; std::getline(locks, line);)
      if (line.find("FLOCK") != std::string::npos && line.find(pid) != std::string::npos &&
          line.find(inode) != std::string::npos)
        return true;
    return false;
  }

  // The wait status once the process has ended; -1 if it does not end.
  int WaitForEnd() {
    int status = -1;
    const bool ended = WaitFor([&] { return ::waitpid(m_pid, &status, WNOHANG) == m_pid; });
    if (!ended) return -1;
    m_pid = -1;
    return status;
  }

 private:
  testsupport::TempDir m_dir{"zoetrix-window"};
  pid_t m_pid = -1;
};

}  // namespace

// Ended by a signal while asking about a copy left earlier: the copy is
// neither taken nor deleted, nothing of this run stays, and the next start
// asks again.
TEST(Recovery, TheWindowEndsOnSignalsWithoutAQuestionAndLeavesNoLock) {
  if (!fs::exists("/proc/locks")) GTEST_SKIP() << "the window's locks show only in /proc/locks";
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(sig));
    WindowProcess tool(LeaveCrashedCopy);
    ASSERT_GT(tool.pid(), 0);
    const fs::path data = tool.Data();
    // The question is up (or about to be) once the copy's lock is held.
    ASSERT_TRUE(WindowProcess::WaitFor([&] { return tool.Holds(data / "Recovery-999999.lock"); }));
    ASSERT_TRUE(fs::exists(data / ("Recovery-" + std::to_string(tool.pid()) + ".lock")));
    ::kill(tool.pid(), sig);
    const int status = tool.WaitForEnd();
    ASSERT_NE(status, -1) << "the window did not end";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
    std::set<std::string> left = Names(data);
    left.erase("Recovery-999999.lock");
    EXPECT_EQ(left, std::set<std::string>{"Recovery-999999.ini"});
    EXPECT_EQ(testsupport::ReadFile(data / "Recovery-999999.ini"), kCrashedCopy);

    Hooks hooks;
    hooks.answer = ui::IDCANCEL;
    MainWindow next(hooks, [&](const fs::path& folder) {
      fs::copy_file(data / "Recovery-999999.ini", folder / "data" / "Recovery-999999.ini");
    });
    ASSERT_EQ(hooks.messages.size(), 1);
    EXPECT_TRUE(hooks.messages[0].contains("crashed"));
  }
}

namespace {

// The end signals caught as the tool catches them, for one test.
struct EndSignals {
  EndSignals() : fd(platform::CatchEndSignals()) { EXPECT_GE(fd, 0); }
  ~EndSignals() {
    platform::ReleaseEndSignals();
    ui::ResumeModalRunsForTesting();
  }
  int fd;
};

// Lets the window's loop run until the signal has ended it (a generous
// while at most).
bool EndedBySignal(CZoetrixDlg& d) {
  for (int i = 0; i < 3000 && d.EndedBySignal() == 0; ++i)
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  return d.EndedBySignal() != 0;
}

fs::path LockOf(const fs::path& copy) {
  fs::path lock = copy;
  return lock.replace_extension(".lock");
}

fs::path JournalOf(const fs::path& copy) {
  fs::path journal = copy;
  return journal.replace_extension(".journal");
}

// The copy as the next start reads it: the base and what its journal adds.
ProjectReadResult ReadCopy(const fs::path& copy) {
  return output::RecoveryCopy::Read(output::RecoveryOrphan(copy, {}, -1));
}

}  // namespace

TEST(Recovery, ASignalEndsTheWindowWithoutAQuestionKeepingTheLatestWork) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(sig));
    EndSignals caught;
    // The copy as the window left it (the base and its journal), moved here
    // and then into the next start's folder: a journal continues its own
    // base file only, not a copy of its bytes.
    testsupport::TempDir kept;
    {
      Hooks hooks;
      MainWindow w(hooks);
      CZoetrixDlg& d = w.dlg();
      d.EndOnSignals(caught.fd);
      w.CreateWithFrames({"one", "two"});
      Save(d);  // an earlier state on disk
      w.SetText(res::IDC_EDIT_AREA, "typed, not stored");
      const fs::path copy = d.Recovery()->Path();
      ASSERT_TRUE(fs::exists(LockOf(copy)));
      hooks.messages.clear();
      ::kill(::getpid(), sig);
      ASSERT_TRUE(EndedBySignal(d));
      EXPECT_EQ(d.EndedBySignal(), sig);
      EXPECT_TRUE(hooks.messages.isEmpty()) << hooks.messages.join('|').toStdString();
      EXPECT_FALSE(d.isVisible());
      EXPECT_FALSE(fs::exists(LockOf(copy)));
      const ProjectReadResult read = ReadCopy(copy);
      ASSERT_TRUE(read.ok()) << read.error;
      ASSERT_EQ(read.animation.FrameCount(), 3);
      EXPECT_EQ(read.animation.m_frames.At(1)->Text(), "two");
      EXPECT_EQ(read.animation.m_frames.At(2)->Text(), "typed, not stored");
      fs::rename(copy, kept.path() / "Recovery-999998.ini");
      if (fs::exists(JournalOf(copy)))
        fs::rename(JournalOf(copy), kept.path() / "Recovery-999998.journal");
    }
    ui::ResumeModalRunsForTesting();
    // The next start offers it, as after a crash.
    Hooks hooks;
    MainWindow next(hooks, [&](const fs::path& folder) {
      for (const auto& entry : fs::directory_iterator(kept.path()))
        fs::rename(entry.path(), folder / "data" / entry.path().filename());
    });
    ASSERT_FALSE(hooks.messages.isEmpty());
    EXPECT_TRUE(hooks.messages[0].contains(QString::fromUtf8("恢复副本")));
    ASSERT_EQ(next.dlg().doc().FrameCount(), 3);
    EXPECT_EQ(next.Text(res::IDC_EDIT_AREA), "typed, not stored");
  }
}

// A question on screen when the signal comes is closed, and counts as no
// answer, not as a "确定" (here: to replace the animation by a new one).
TEST(Recovery, ASignalClosesTheQuestionOnScreenUnanswered) {
  EndSignals caught;
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  d.EndOnSignals(caught.fd);
  w.CreateWithFrames({"one"});
  w.SetText(res::IDC_EDIT_AREA, "typed");
  const fs::path copy = d.Recovery()->Path();
  d.ControlAs<QAbstractButton>(res::IDC_OVERWRITE)->setChecked(true);
  // A real message box, then the signal while it waits for a click.
  ui::SetMessageBoxResponderForTesting({});
  QTimer::singleShot(0, [] { ::kill(::getpid(), SIGHUP); });
  w.Click(res::IDC_CREATE);
  EXPECT_EQ(d.EndedBySignal(), SIGHUP);
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(d.doc().FrameCount(), 2);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "typed");
  EXPECT_FALSE(fs::exists(LockOf(copy)));
  const ProjectReadResult read = ReadCopy(copy);
  ASSERT_TRUE(read.ok()) << read.error;
  ASSERT_EQ(read.animation.FrameCount(), 2);
  EXPECT_EQ(read.animation.m_frames.At(1)->Text(), "typed");
}

// The same for a dialog of the tool's own (here the settings).
TEST(Recovery, ASignalClosesADialogOnScreen) {
  EndSignals caught;
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  d.EndOnSignals(caught.fd);
  w.CreateWithFrames({"one"});
  const fs::path copy = d.Recovery()->Path();
  // Left open by the test, as a user would leave it.
  hooks.onDialog = [](QDialog&) { ::kill(::getpid(), SIGINT); };
  w.Click(res::IDC_SETTINGS);
  EXPECT_EQ(d.EndedBySignal(), SIGINT);
  EXPECT_FALSE(fs::exists(LockOf(copy)));
  EXPECT_TRUE(fs::exists(copy));
  const auto shown = hooks.dialogs.size();
  w.Click(res::IDC_SETTINGS);  // nothing opens any more
  EXPECT_EQ(hooks.dialogs.size(), shown);
}

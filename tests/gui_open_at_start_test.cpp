// Starting the window with a project file (`zoetrix NAME.ini`, the desktop's
// "open with"), and the window of a tool whose folder it may not write in.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QDialog>
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/ZoetrixApp.h"
#include "platform/ProgramFolder.h"
#include "platform/Shell.h"
#include "project/RecoveryCopy.h"
#include "res/ControlIds.h"
#include "res/Templates.h"
#include "tests/GuiTestSupport.h"
#include "ui/framework/MessageBox.h"

namespace fs = std::filesystem;
using namespace guitest;

namespace {

const char* kProject =
    "[AnimatedProperties]\r\nName=given\r\nWide=20\r\nHigh=4\r\nColor=0A\r\nFrameRate=12\r\n"
    "FrameNum=2\r\n[AnimatePicture]\r\nFrame1=first\r\nFrame2=second\r\n";

// The window as app/ makes it for these arguments.
std::unique_ptr<CZoetrixDlg> WindowFor(std::vector<std::string> args) {
  args.insert(args.begin(), "zoetrix");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  auto dlg = std::make_unique<CZoetrixDlg>();
  dlg->OpenAtStart(CZoetrixApp::ProjectToOpen(static_cast<int>(argv.size()), argv.data()));
  return dlg;
}

const QString kBaseTitle = QString::fromUtf8(res::kMainDialog.caption);
const QString kImported = QString::fromUtf8("已导入！");

}  // namespace

TEST(OpenAtStart, OneFileArgumentIsForTheWindowEverythingElseForTheCommandLine) {
  auto isCommandLine = [](std::vector<std::string> args) {
    args.insert(args.begin(), "zoetrix");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    return IsCommandLine(static_cast<int>(argv.size()), argv.data());
  };
  EXPECT_FALSE(isCommandLine({}));
  EXPECT_FALSE(isCommandLine({"NAME.ini"}));
  EXPECT_FALSE(isCommandLine({"/tmp/动画 工程.ini"}));
  EXPECT_TRUE(isCommandLine({"--help"}));
  EXPECT_TRUE(isCommandLine({"-x"}));
  EXPECT_TRUE(isCommandLine({""}));
  EXPECT_TRUE(isCommandLine({"a.ini", "b.ini"}));
  EXPECT_TRUE(isCommandLine({"--export", "a.ini"}));

  // A name relative to where the shell stands becomes a full path.
  std::array<char*, 2> relative{const_cast<char*>("zoetrix"), const_cast<char*>("sub/a.ini")};
  EXPECT_EQ(CZoetrixApp::ProjectToOpen(2, relative.data()), fs::current_path() / "sub" / "a.ini");
  std::array<char*, 2> option{const_cast<char*>("zoetrix"), const_cast<char*>("--help")};
  EXPECT_TRUE(CZoetrixApp::ProjectToOpen(2, option.data()).empty());
}

TEST(OpenAtStart, TheProjectOpensWithoutAQuestionAndTheTitleNamesIt) {
  testsupport::TempDir elsewhere("zoetrix-given");
  const fs::path file = elsewhere.path() / "我的 动画.ini";
  testsupport::WriteFile(file, kProject);
  Hooks hooks;
  MainWindow w(hooks, WindowFor({file.string()}));
  CZoetrixDlg& d = w.dlg();
  EXPECT_EQ(hooks.messages, QStringList{kImported});
  // Opened before the Tips window, which still shows once.
  EXPECT_EQ(hooks.dialogs, (QStringList{"start", "Tips"}));
  EXPECT_EQ(d.doc().m_bCreated, 1);
  EXPECT_EQ(d.doc().m_animation.m_strAnimName, "given");
  EXPECT_EQ(d.doc().m_animation.m_nRate, 12);
  ASSERT_EQ(d.doc().FrameCount(), 2);
  EXPECT_EQ(d.doc().m_animation.m_frames.At(0)->Text(), "first");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "second");
  EXPECT_EQ(d.windowTitle(), kBaseTitle + QString::fromUtf8(" — 我的 动画.ini"));
  // A new code file in the tool's Code/, named in the status line.
  EXPECT_EQ(fs::path(d.doc().m_export.m_strCodePath).parent_path(), w.folder().path() / "Code");
  EXPECT_TRUE(w.Text(res::IDC_EDITING_STATUS)
                  .endsWith(QString::fromStdString(d.doc().m_export.m_strCodePath)));
  // The file itself is left alone.
  EXPECT_EQ(testsupport::ReadFile(file), kProject);

  // A new animation is saved under a new name: the title no longer names the file.
  hooks.messages.clear();
  w.Click(res::IDC_CREATE);
  EXPECT_EQ(d.windowTitle(), kBaseTitle);
}

TEST(OpenAtStart, AFileThatCannotBeOpenedLeavesAnEmptyWindow) {
  testsupport::TempDir elsewhere("zoetrix-given");
  testsupport::WriteFile(elsewhere.path() / "not-a-project.ini", "[Other]\r\nKey=1\r\n");
  struct Case {
    fs::path path;
    const char* message;
  } cases[] = {
      {elsewhere.path() / "missing.ini", "打开失败：找不到该文件。"},
      {elsewhere.path(), "打开失败：该路径不是一个普通文件。"},
      {elsewhere.path() / "not-a-project.ini", "打开失败："},
  };
  for (const Case& c : cases) {
    Hooks hooks;
    MainWindow w(hooks, WindowFor({c.path.string()}));
    ASSERT_EQ(hooks.messages.size(), 1) << c.path;
    EXPECT_TRUE(hooks.messages[0].startsWith(QString::fromUtf8(c.message))) << c.path;
    // Named in full, as it may not be the file the user meant.
    EXPECT_TRUE(hooks.messages[0].endsWith(QString::fromUtf8("文件：") +
                                           QString::fromStdString(c.path.string())))
        << hooks.messages[0].toStdString();
    EXPECT_EQ(hooks.dialogs, (QStringList{"start", "Tips"}));
    EXPECT_EQ(w.dlg().doc().m_bCreated, 0);
    EXPECT_EQ(w.dlg().windowTitle(), kBaseTitle);
    EXPECT_TRUE(fs::is_empty(w.folder().path() / "Code")) << c.path;
  }
}

// The closing message lets the recovery timer run; the project just read
// from its file is no change to keep, from the command line or from "打开".
TEST(OpenAtStart, NoRecoveryCopyWhileTheClosingMessageIsOpen) {
  testsupport::TempDir elsewhere("zoetrix-given");
  const fs::path file = elsewhere.path() / "given.ini";
  testsupport::WriteFile(file, kProject);
  Hooks hooks;
  auto owned = WindowFor({file.string()});
  CZoetrixDlg* d = owned.get();
  int copiesWritten = 0;
  int closingMessages = 0;
  ui::SetMessageBoxResponderForTesting([&](const QString& text, int) {
    if (text == kImported) {
      ++closingMessages;
      d->SaveRecoveryCopy();  // as the timer would, while the box is open
      d->Recovery()->Wait();
      if (fs::exists(d->Recovery()->Path())) ++copiesWritten;
    }
    return ui::IDOK;
  });
  MainWindow w(hooks, std::move(owned));
  w.AnswerOpenFile(file.string());
  w.Click(res::IDC_OPEN_PROJECT);  // "打开", replacing after the question
  EXPECT_EQ(closingMessages, 2);
  EXPECT_EQ(copiesWritten, 0);
}

// Unsaved work from a crashed run is offered first; taking it means the
// project asked for replaces it only after the usual question.
TEST(OpenAtStart, TheRecoveryCopyIsOfferedFirst) {
  testsupport::TempDir elsewhere("zoetrix-given");
  const fs::path file = elsewhere.path() / "given.ini";
  testsupport::WriteFile(file, kProject);
  const auto crashed = [](const fs::path& folder) {
    testsupport::WriteFile(folder / "data" / "Recovery-999999.ini",
                           "[AnimatedProperties]\r\nName=crashed\r\nWide=30\r\nHigh=11\r\n"
                           "Color=2E\r\nFrameRate=5\r\nFrameNum=1\r\n[AnimatePicture]\r\n"
                           "Frame1=one\r\n");
    testsupport::WriteFile(folder / "data" / "Recovery-999999.lock", "");
  };
  {
    Hooks hooks;  // OK to everything: recovered, then replaced
    auto dlg = WindowFor({file.string()});
    MainWindow w(hooks, crashed, std::move(dlg));
    ASSERT_EQ(hooks.messages.size(), 4) << hooks.messages.join("|").toStdString();
    EXPECT_TRUE(hooks.messages[0].contains(QString::fromUtf8("恢复副本")));
    EXPECT_EQ(hooks.messages[1], kImported);
    EXPECT_TRUE(hooks.messages[2].startsWith(QString::fromUtf8("你确定要打开一个动画工程吗？")));
    EXPECT_EQ(hooks.messages[3], kImported);
    EXPECT_EQ(w.dlg().doc().m_animation.m_strAnimName, "given");
  }
  {
    Hooks hooks;
    hooks.answer = ui::IDCANCEL;  // copy declined: the project opens without a question
    MainWindow w(hooks, crashed, WindowFor({file.string()}));
    ASSERT_EQ(hooks.messages.size(), 2) << hooks.messages.join("|").toStdString();
    EXPECT_EQ(hooks.messages[1], kImported);
    EXPECT_EQ(w.dlg().doc().m_animation.m_strAnimName, "given");
  }
}

// An installed tool (or one in a read-only folder) keeps its work in the
// user's folder: the status line, the folder shortcuts, the settings and
// the open dialog all use it.
TEST(ReadOnlyToolFolder, TheWindowWorksInTheUsersFolder) {
  testsupport::TempDir xdg("zoetrix-xdg");
  const char* old = std::getenv("XDG_DATA_HOME");
  const std::string oldValue = old ? old : "";
  ::setenv("XDG_DATA_HOME", xdg.path().c_str(), 1);
  const std::string user = xdg.folder() + "zoetrix/";
  Hooks hooks;
  std::string toolFolder;
  {
    MainWindow w(hooks, [&](const fs::path& folder) {
      toolFolder = folder.string() + "/";
      // Root may write anywhere: the tool is told its folder is read-only.
      platform::SetWritableCheckForTesting([&](const std::string& f) { return f != toolFolder; });
    });
    CZoetrixDlg& d = w.dlg();
    w.Click(res::IDC_CREATE);  // "新建"
    ASSERT_EQ(d.doc().m_bCreated, 1);
    EXPECT_EQ(d.doc().m_export.m_strCodePath.rfind(user + "Code/", 0), 0u)
        << d.doc().m_export.m_strCodePath;
    EXPECT_TRUE(fs::exists(d.doc().m_export.m_strCodePath));
    EXPECT_EQ(d.doc().m_export.m_strProjectPath.rfind(user + "Project/", 0), 0u);
    EXPECT_TRUE(w.Text(res::IDC_EDITING_STATUS)
                    .endsWith(QString::fromStdString(d.doc().m_export.m_strCodePath)));
    EXPECT_TRUE(fs::is_empty(fs::path(toolFolder) / "Code"));
    EXPECT_EQ(d.Recovery()->Path().parent_path(), fs::path(user + "data"));

    std::vector<std::string> opened;
    platform::SetShellOpenHookForTesting([&](const std::string& t) { opened.push_back(t); });
    hooks.onDialog = [](QDialog& dialog) {
      auto& o = static_cast<ui::ZDialog&>(dialog);
      for (int id : {res::IDC_WEBSITE, res::IDC_CREATE, res::IDC_APPEND_BLANK})
        o.ControlAs<QAbstractButton>(id)->click();
      o.done(ui::IDCANCEL);
    };
    w.Click(res::IDC_OPEN_FOLDERS);          // "打开目录"
    w.Click(res::IDC_OPEN_SETTINGS_FOLDER);  // the settings folder
    EXPECT_EQ(opened, (std::vector<std::string>{user + "Code/", user + "Animate/",
                                                user + "Project/", user + "data/"}));

    // The settings go to the user's data/, and the refresh reads them there.
    hooks.onDialog = [](QDialog& dialog) {
      auto& m = static_cast<ui::ZDialog&>(dialog);
      m.ControlAs<QAbstractButton>(res::IDC_SAVE_CODE)->setChecked(false);
      m.ControlAs<QAbstractButton>(ui::IDOK)->click();
    };
    w.Click(res::IDC_SETTINGS);
    EXPECT_EQ(testsupport::ReadFile(user + "data/Settings.ini"), "[Frame]\r\nNewFrame=0\r\n");
    EXPECT_FALSE(fs::exists(fs::path(toolFolder) / "data" / "Settings.ini"));
    w.SetText(res::IDC_EDIT_AREA, "a");
    w.Click(res::IDC_APPEND_BLANK);
    w.SetText(res::IDC_EDIT_AREA, "b");
    w.Click(res::IDC_APPEND_BLANK);
    // Preview mode off: the preview area does not follow the new frame.
    EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "");
  }
  platform::SetWritableCheckForTesting({});
  if (old) {
    ::setenv("XDG_DATA_HOME", oldValue.c_str(), 1);
  } else {
    ::unsetenv("XDG_DATA_HOME");
  }
}

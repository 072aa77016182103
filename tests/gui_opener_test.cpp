// The folder, guide and website buttons when no opener can be started or it
// fails: the user is told what could not be opened and where it is, and the
// guide opens in the tool's own help window.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QTextBrowser>
#include <filesystem>

#include "platform/Shell.h"
#include "res/ControlIds.h"
#include "tests/GuiTestSupport.h"
#include "ui/HelpWindow.h"
#include "ui/framework/MessageBox.h"

using namespace guitest;
namespace fs = std::filesystem;

namespace {

// The real launch path with a stand-in opener: missing, or exiting with 3 as
// xdg-open does when nothing is set up to open the target.
class BrokenOpener {
 public:
  explicit BrokenOpener(const testsupport::TempDir& dir, bool missing) {
    const fs::path script = dir.path() / "opener";
    if (!missing) {
      testsupport::WriteFile(script, "#!/bin/sh\nexit 3\n");
      fs::permissions(script, fs::perms::owner_all);
    }
    platform::SetShellOpenHookForTesting({});
    platform::SetOpenerForTesting(script.string());
  }
  ~BrokenOpener() { platform::SetOpenerForTesting({}); }
};

QList<ui::HelpWindow*> HelpWindows() {
  QList<ui::HelpWindow*> found;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* h = qobject_cast<ui::HelpWindow*>(w); h && h->isVisible()) found << h;
  return found;
}

}  // namespace

TEST(Opener, EveryFolderButtonNamesWhatFailedAndItsPath) {
  for (bool missing : {true, false}) {
    Hooks hooks;
    MainWindow w(hooks);
    BrokenOpener opener(w.folder(), missing);
    hooks.onDialog = [](QDialog& dialog) {
      auto& d = static_cast<ui::ZDialog&>(dialog);
      for (int id :
           {res::IDC_OPEN_CODE_FOLDER, res::IDC_OPEN_ANIMATE_FOLDER, res::IDC_OPEN_PROJECT_FOLDER})
        d.ControlAs<QAbstractButton>(id)->click();
      d.done(ui::IDCANCEL);
    };
    w.Click(res::IDC_OPEN_FOLDERS);
    w.Click(res::IDC_OPEN_SETTINGS_FOLDER);  // answered OK
    const std::string f = w.folder().folder();
    const std::pair<const char*, std::string> expected[] = {
        {"动画代码(*.c)存储目录", f + "Code/"},
        {"动画文件(*.exe)存储目录", f + "Animate/"},
        {"动画工程(*.ini)存储目录", f + "Project/"},
        {"配置文件存储目录", f + "data/"},
    };
    // The three folder messages, the settings question, then its message.
    ASSERT_EQ(hooks.messages.size(), 5) << hooks.messages.join("|").toStdString();
    hooks.messages.removeAt(3);
    for (int i = 0; i < 4; ++i) {
      const QStringList lines = hooks.messages[i].split('\n');
      ASSERT_GE(lines.size(), 3);
      EXPECT_EQ(lines[0], QString::fromUtf8("无法打开") + QString::fromUtf8(expected[i].first) +
                              QString::fromUtf8("："));
      EXPECT_EQ(lines[1], QString::fromStdString(expected[i].second));
      // Installing xdg-utils helps only where there is no xdg-open.
      EXPECT_EQ(lines[2].contains("xdg-utils"), missing) << lines[2].toStdString();
      if (!missing) {
        EXPECT_TRUE(lines[2].contains(QString::fromUtf8("没有设置可以打开它的程序")));
      }
    }
  }
}

TEST(Opener, AFolderThatIsNotThereIsSaidToBeMissing) {
  for (bool missing : {true, false}) {
    Hooks hooks;
    MainWindow w(hooks);
    BrokenOpener opener(w.folder(), missing);
    fs::remove_all(w.folder().path() / "data");
    w.Click(res::IDC_OPEN_SETTINGS_FOLDER);  // answered OK
    ASSERT_EQ(hooks.messages.size(), 2) << hooks.messages.join("|").toStdString();
    const QStringList lines = hooks.messages[1].split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1], QString::fromStdString(w.folder().folder() + "data/"));
    EXPECT_EQ(lines[2], QString::fromUtf8("它不存在。"));
  }
}

TEST(Opener, WithoutABrowserTheGuideOpensInTheToolsHelpWindow) {
  Hooks hooks;
  MainWindow w(hooks);
  fs::copy(fs::path(ZOETRIX_TEST_DATA) / ".." / ".." / "doc" / "guide", w.folder().path() / "help");
  BrokenOpener opener(w.folder(), true);
  ASSERT_TRUE(HelpWindows().isEmpty());
  w.Click(res::IDC_WEBSITE);
  EXPECT_TRUE(hooks.messages.isEmpty()) << hooks.messages.join("|").toStdString();
  QList<ui::HelpWindow*> shown = HelpWindows();
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0]->browser()->documentTitle().contains(QString::fromUtf8("使用教程")));
  EXPECT_TRUE(shown[0]->browser()->toPlainText().contains(QString::fromUtf8("新建")));
  shown[0]->close();

  // The About box's link does the same, while the box stays open.
  hooks.onDialog = [&](QDialog& d) {
    static_cast<ui::ZDialog&>(d).ControlAs<QAbstractButton>(res::IDC_ABOUT_WEBSITE)->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(HelpWindows().size(), 1);
    d.done(ui::IDOK);
  };
  w.Click(res::IDC_ABOUT);
  EXPECT_TRUE(hooks.messages.isEmpty());

  // No guide at all: say so, with its path.
  fs::remove_all(w.folder().path() / "help");
  w.Click(res::IDC_WEBSITE);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_TRUE(hooks.messages[0].contains(QString::fromUtf8("无法打开使用教程")));
  EXPECT_TRUE(
      hooks.messages[0].contains(QString::fromStdString(w.folder().folder() + "help/index.html")));
}

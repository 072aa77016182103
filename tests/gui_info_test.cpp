// The informational windows: Tips, About, help, the "?" explanations and the website.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>

#include "platform/ProgramFolder.h"
#include "platform/Shell.h"
#include "res/ControlIds.h"
#include "tests/GuiTestSupport.h"
#include "ui/Tips.h"
#include "ui/framework/MessageBox.h"
#include "ui/framework/Modal.h"

using namespace guitest;

TEST(Tips, ThirtyFiveLinesReadOnlyScrolledToTheTop) {
  Hooks hooks;
  QString shown;
  bool readOnly = false;
  int scroll = -1;
  hooks.onDialog = [&](QDialog& d) {
    auto* tips = static_cast<Tips*>(&d);
    auto* box = tips->ControlAs<QPlainTextEdit>(res::IDC_TIPS_TEXT);
    shown = box->toPlainText();
    readOnly = box->isReadOnly();
    scroll = box->verticalScrollBar()->value();
    EXPECT_EQ(d.windowTitle(), QString::fromUtf8("提示"));
    d.done(0);
  };
  MainWindow w(hooks);
  ASSERT_TRUE(hooks.dialogs.contains("Tips"));
  const QStringList lines = shown.split('\n');
  // 35 lines, the last followed by a line break.
  ASSERT_EQ(lines.size(), 36);
  EXPECT_TRUE(lines.last().isEmpty());
  EXPECT_EQ(lines[0], QString::fromUtf8("●Zoetrix 让你体验更简洁的动画制作"));
  // The guide as an address to click or paste: file:// and the full path.
  EXPECT_EQ(lines[3], QString::fromUtf8("●官网") + "file://" +
                          QString::fromStdString(w.folder().folder()) + "help/index.html");
  EXPECT_EQ(lines[4], "");
  EXPECT_EQ(lines[5], QString::fromUtf8("V1.1更新信息："));
  EXPECT_EQ(lines[27], QString::fromUtf8("2.一个很\"隐蔽\"的小更新等你发现"));
  EXPECT_EQ(lines[34], QString::fromUtf8("2.加快程序开启速度"));
  EXPECT_TRUE(readOnly);
  EXPECT_EQ(scroll, 0);
}

TEST(About, ShowsVersionAndItsWebsiteButtonOpensTheSameAddressAsTheMainOne) {
  Hooks hooks;
  MainWindow w(hooks);
  std::vector<std::string> opened;
  platform::SetShellOpenHookForTesting([&](const std::string& t) { opened.push_back(t); });
  QStringList labels;
  QString title;
  hooks.onDialog = [&](QDialog& d) {
    title = d.windowTitle();
    for (QLabel* l : d.findChildren<QLabel*>()) {
      labels << l->text();
      if (!l->toolTip().isEmpty()) {
        labels << l->toolTip();
        emit l->linkActivated(l->toolTip());  // a click on the address
      }
    }
    auto* dlg = static_cast<ui::ZDialog*>(&d);
    dlg->ControlAs<QAbstractButton>(res::IDC_ABOUT_WEBSITE)->click();
    EXPECT_TRUE(d.isVisible());  // the box stays open after opening the site
    dlg->ControlAs<QAbstractButton>(ui::IDOK)->click();
  };
  w.Click(res::IDC_ABOUT);
  EXPECT_EQ(hooks.dialogs.last(), "CAboutDlg");
  EXPECT_EQ(title, QString::fromUtf8("关于 Zoetrix    C语言动画制作器"));
  EXPECT_TRUE(labels.contains(QString::fromUtf8("Zoetrix 1.3.3 版")));
  EXPECT_TRUE(
      labels.contains("file://" + QString::fromStdString(w.folder().folder()) + "help/index.html"));
  w.Click(res::IDC_WEBSITE);
  ASSERT_EQ(opened.size(), 3u);
  EXPECT_EQ(opened[0], opened[2]);
  EXPECT_EQ(opened[1], opened[2]);
  EXPECT_EQ(opened[0], w.folder().folder() + "help/index.html");
  EXPECT_TRUE(hooks.messages.isEmpty());
}

TEST(Help, ThreeLinesWithAnOkButton) {
  Hooks hooks;
  MainWindow w(hooks);
  w.Click(res::IDC_HELP);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_EQ(hooks.messageTypes[0], ui::MB_OK);
  const QStringList lines = hooks.messages[0].split('\n');
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[0], QString::fromUtf8("什么是Zoetrix C语言动画制作器？"));
  EXPECT_EQ(lines[2], QString::fromUtf8("进入官网以获取更多帮助。"));
}

TEST(Help, EachQuestionMarkExplainsItsOwnOption) {
  Hooks hooks;
  MainWindow w(hooks);
  const std::pair<int, const char*> buttons[] = {
      {res::IDC_EXPLAIN_KEY_FRAME, "在末尾添加关键帧"},
      {res::IDC_EXPLAIN_FILL_SECOND, "添加帧并自动补足帧数"},
      {res::IDC_EXPLAIN_FILL_HALF_SECOND, "添加帧并补足一半帧数"},
      {res::IDC_EXPLAIN_OVERWRITE, "覆盖当前动画"},
      {res::IDC_EXPLAIN_DELAY, "添加帧以延时"},
      {res::IDC_EXPLAIN_APPEND, "叠加到目前动画后"},
  };
  for (const auto& [id, title] : buttons) {
    hooks.messages.clear();
    hooks.messageTypes.clear();
    w.Click(id);
    ASSERT_EQ(hooks.messages.size(), 1) << id;
    EXPECT_EQ(hooks.messageTypes[0], ui::MB_OK);
    const QStringList lines = hooks.messages[0].split('\n');
    ASSERT_EQ(lines.size(), 2) << id;
    EXPECT_EQ(lines[0], QString::fromUtf8(title));
    EXPECT_FALSE(lines[1].isEmpty());
  }
}

// The guide's address in the Tips text: Chinese folder names as they are,
// names GBK cannot hold percent-encoded instead of cut short.
TEST(Tips, TheGuideAddressSurvivesAnyFolderName) {
  platform::SetProgramFolderForTesting("/tmp/动画 工具/");
  EXPECT_NE(Tips().m_strTips.find(testsupport::Gbk("●官网file:///tmp/动画 工具/help/index.html")),
            std::string::npos);
  platform::SetProgramFolderForTesting("/tmp/a😀b/");
  EXPECT_NE(Tips().m_strTips.find("file:///tmp/a%F0%9F%98%80b/help/index.html"), std::string::npos);
  platform::SetProgramFolderForTesting({});
}

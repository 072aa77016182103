// Start-up, the controls of the main window, and leaving the tool.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>

#include "res/ControlIds.h"
#include "res/Templates.h"
#include "tests/GuiTestSupport.h"
#include "ui/framework/CharCanvas.h"
#include "ui/framework/MessageBox.h"
#include "ui/framework/Modal.h"
#include "ui/start.h"

using namespace guitest;

TEST(Startup, SplashFirstThenTipsOnceWithTheWindowAlreadyVisible) {
  Hooks hooks;
  bool mainVisibleDuringSplash = true;
  bool mainVisibleDuringTips = false;
  CZoetrixDlg* dlg = nullptr;
  auto owned = std::make_unique<CZoetrixDlg>();
  dlg = owned.get();
  hooks.onDialog = [&](QDialog& d) {
    if (d.objectName() == "Tips") mainVisibleDuringTips = dlg->isVisible();
    d.done(0);
  };
  ui::SetModalHookForTesting([&](QDialog& d) {
    hooks.dialogs << d.objectName();
    if (d.objectName() == "start") {
      mainVisibleDuringSplash = dlg->isVisible();
      return;
    }
    hooks.onDialog(d);
  });
  MainWindow w(hooks, std::move(owned));
  Pump(50);
  EXPECT_EQ(hooks.dialogs, (QStringList{"start", "Tips"}));
  EXPECT_FALSE(mainVisibleDuringSplash);
  EXPECT_TRUE(mainVisibleDuringTips);
  EXPECT_FALSE(w.dlg().HasTimer(1));
}

TEST(Startup, InitialValuesColourListsAndLayout) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  EXPECT_EQ(d.windowTitle(), QString::fromUtf8("Zoetrix    C语言动画制作器    byVantor"));
  EXPECT_EQ(w.Text(res::IDC_HIGH), "25");
  EXPECT_EQ(w.Text(res::IDC_WIDE), "80");
  EXPECT_EQ(w.Text(res::IDC_FRAME_RATE), "24");
  EXPECT_EQ(w.Text(res::IDC_NAME), QString::fromUtf8("无题"));
  EXPECT_EQ(w.Text(res::IDC_FRAME_TOTAL), "---");
  EXPECT_EQ(w.Text(res::IDC_DURATION), "---");
  EXPECT_EQ(w.Text(res::IDC_EDITING_STATUS),
            QString::fromUtf8("【↓动画制作区域↓】当前编辑：无文件"));
  EXPECT_EQ(d.doc().m_bCreated, 0);
  EXPECT_TRUE(d.doc().m_animation.m_frames.Empty());

  const QStringList names = QString::fromUtf8(
                                "黑色 蓝色 绿色 浅绿色 红色 紫色 黄色 白色 灰色 淡蓝色 淡绿色 "
                                "淡浅绿色 淡红色 淡紫色 淡黄色 亮白色")
                                .split(' ');
  for (QComboBox* list : {d.m_comboBackColor, d.m_comboCharColor}) {
    ASSERT_EQ(list->count(), 16);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(list->itemText(i), names[i]);
  }
  EXPECT_EQ(d.m_comboBackColor->currentText(), QString::fromUtf8("黑色"));
  EXPECT_EQ(d.m_comboCharColor->currentText(), QString::fromUtf8("白色"));

  // The window, then every control, captured once.
  EXPECT_EQ(d.m_layout.size(), 92);
  EXPECT_NE(d.Accelerators(), nullptr);
}

TEST(Startup, ControlsFollowTheTableInCreationTabAndChildOrder) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  const auto table = res::kMainDialog.controls;
  ASSERT_EQ(table.size(), 91u);
  ASSERT_EQ(d.Controls().size(), 91);

  QList<QWidget*> children;
  for (QObject* o : d.children())
    if (auto* cw = qobject_cast<QWidget*>(o); cw && cw->property("controlId").isValid())
      children << cw;
  EXPECT_EQ(children, d.Controls());

  for (size_t i = 0; i < table.size(); ++i) {
    QWidget* c = d.Controls()[static_cast<int>(i)];
    EXPECT_EQ(c->property("controlId").toInt(), table[i].id);
    EXPECT_EQ(d.Control(table[i].id), c);
    const QRect r = d.Units().Map(table[i].x, table[i].y, table[i].w, table[i].h);
    EXPECT_EQ(c->pos(), r.topLeft()) << table[i].id;
    if (!qobject_cast<QComboBox*>(c)) {
      EXPECT_EQ(c->size(), r.size()) << table[i].id;
    }
  }
  // Tab goes through the controls in table order.
  QList<QWidget*> chain;
  for (QWidget* f = d.nextInFocusChain(); f != &d; f = f->nextInFocusChain())
    if (d.Controls().contains(f)) chain << f;
  EXPECT_EQ(chain, d.Controls());

  // The groups drawn late over their controls never take the mouse.
  EXPECT_TRUE(d.Control(res::IDC_CANVAS_GROUP)->testAttribute(Qt::WA_TransparentForMouseEvents));
  EXPECT_FALSE(d.Control(res::IDC_RULE)->isEnabled());
}

TEST(Startup, SplashClosesItselfAndIgnoresEscape) {
  Hooks hooks;
  bool visibleAfterEscape = false;
  ui::SetModalHookForTesting([&](QDialog& d) {
    QTest::keyClick(&d, Qt::Key_Escape);
    visibleAfterEscape = d.isVisible();
  });
  start splash;
  QElapsedTimer t;
  t.start();
  splash.DoModal();
  EXPECT_TRUE(visibleAfterEscape);
  EXPECT_GE(t.elapsed(), 150);
  EXPECT_FALSE(splash.isVisible());
}

TEST(Exit, SameQuestionFromButtonEscapeAndCloseBoxCancelKeepsTheWindow) {
  Hooks hooks;
  MainWindow w(hooks);
  hooks.answer = ui::IDCANCEL;
  w.Click(res::IDC_EXIT);
  w.Key(res::IDC_HIGH, Qt::Key_Escape);
  w.dlg().close();
  ASSERT_EQ(hooks.messages.size(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(hooks.messages[i], QString::fromUtf8("确定要退出？"));
    EXPECT_EQ(hooks.messageTypes[i], ui::MB_OKCANCEL);
  }
  EXPECT_TRUE(w.dlg().isVisible());
}

TEST(Exit, AfterAnAnimationExistsTheQuestionAsksToSaveAndOkEnds) {
  Hooks hooks;
  MainWindow w(hooks);
  w.PretendCreated();
  hooks.answer = ui::IDOK;
  w.Click(res::IDC_EXIT);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_EQ(hooks.messages[0], QString::fromUtf8("确定要退出？请确保你保存好了动画。"));
  EXPECT_FALSE(w.dlg().isVisible());
  EXPECT_EQ(w.dlg().result(), ui::IDCANCEL);
}

TEST(Keys, EnterInAFieldShowsHelpButInsertsALineBreakInTheEditBox) {
  Hooks hooks;
  MainWindow w(hooks);
  w.Key(res::IDC_HIGH, Qt::Key_Return);
  w.Key(res::IDC_NAME, Qt::Key_Enter, Qt::KeypadModifier);
  w.Key(res::IDC_PREVIEW_AREA, Qt::Key_Return);  // the read-only preview takes no line break
  ASSERT_EQ(hooks.messages.size(), 3);
  for (const QString& m : hooks.messages)
    EXPECT_TRUE(m.startsWith(QString::fromUtf8("什么是Zoetrix")));
  EXPECT_TRUE(w.dlg().isVisible());

  hooks.messages.clear();
  w.SetText(res::IDC_EDIT_AREA, "ab");
  auto* edit = w.dlg().EditCanvas();
  edit->SetInsertMode(true);
  edit->SetCursor({0, 2});
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Return);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "ab\n");
  EXPECT_TRUE(hooks.messages.isEmpty());
}

namespace {
// Records the commands the window receives, then handles them as usual.
class RecordingDlg : public CZoetrixDlg {
 public:
  QList<int> commands;
  void OnCommand(int id, ui::Notify notify) override {
    commands << id;
    CZoetrixDlg::OnCommand(id, notify);
  }
};
}  // namespace

TEST(Keys, ShortcutsWinOverTheFocusedEditBox) {
  Hooks hooks;
  auto owned = std::make_unique<RecordingDlg>();
  RecordingDlg* dlg = owned.get();
  MainWindow w(hooks, std::move(owned));
  w.SetText(res::IDC_EDIT_AREA, "picture");
  dlg->EditCanvas()->SetCursor({0, 0});

  struct Case {
    int key;
    Qt::KeyboardModifiers mods;
    int command;
  } cases[] = {
      {Qt::Key_Delete, Qt::ControlModifier, res::IDC_DELETE_LAST},
      {Qt::Key_S, Qt::ControlModifier, res::IDC_SAVE_FRAME},
      {Qt::Key_E, Qt::ControlModifier, res::IDC_ADD_KEY_FRAME},
      {Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier, res::IDC_FILL_SECOND},
      {Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, res::IDC_FILL_HALF_SECOND},
      {Qt::Key_D, Qt::ControlModifier, res::IDC_ADD_DELAY},
  };
  for (const Case& c : cases) {
    dlg->commands.clear();
    w.Key(res::IDC_EDIT_AREA, c.key, c.mods);
    EXPECT_EQ(dlg->commands, QList<int>{c.command}) << c.command;
    EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "picture") << c.command;
  }
  // Ctrl+A without Shift is no shortcut: the canvas selects all its cells.
  dlg->commands.clear();
  w.Key(res::IDC_EDIT_AREA, Qt::Key_A, Qt::ControlModifier);
  EXPECT_TRUE(dlg->commands.isEmpty());

  // Ctrl+Alt+Z appends a frame even while typing: the text goes into it.
  w.PretendCreated();
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(dlg->doc().FrameCount(), 1);
  EXPECT_EQ(dlg->doc().m_animation.m_frames.Head().Text(), "picture");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "");
}

TEST(SystemMenu, ASeparatorAndAboutWhichOpensTheAboutBox) {
  Hooks hooks;
  MainWindow w(hooks);
  const auto& menu = w.dlg().SystemMenu();
  const QString aboutText = QString::fromUtf8("关于 Zoetrix(&A)...");
  std::size_t about = 0;
  while (about < menu.size() && menu[about].id != 16) ++about;
  ASSERT_LT(about, menu.size());
  ASSERT_GE(about, 1u);
  EXPECT_EQ(menu[about - 1].id, 0);
  EXPECT_EQ(menu[about].text, aboutText);

  // Alt+Space opens the menu; its About entry runs the About box.
  w.Key(res::IDC_HIGH, Qt::Key_Space, Qt::AltModifier);
  auto* popup = w.dlg().findChild<QMenu*>("systemMenu");
  ASSERT_NE(popup, nullptr);
  QAction* action = nullptr;
  for (QAction* a : popup->actions())
    if (a->text() == aboutText) action = a;
  ASSERT_NE(action, nullptr);
  hooks.dialogs.clear();
  action->trigger();
  EXPECT_EQ(hooks.dialogs, QStringList{"CAboutDlg"});
  EXPECT_EQ(w.Text(res::IDC_HIGH), "25");  // the field got no blank
}

TEST(Resize, ControlsStretchWithTheWindowAndComeBackExactly) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  const QSize start = d.size();
  QList<QRect> before;
  for (QWidget* c : d.Controls()) before << c->geometry();

  d.resize(start.width() * 2, start.height());
  Pump();
  for (int i = 0; i < d.Controls().size(); ++i) {
    const QRect now = d.Controls()[i]->geometry();
    EXPECT_NEAR(now.x(), before[i].x() * 2, 1) << i;
    EXPECT_NEAR(now.width(), before[i].width() * 2, 2) << i;
    EXPECT_EQ(now.y(), before[i].y()) << i;
    EXPECT_EQ(now.height(), before[i].height()) << i;
  }
  d.resize(start.width() / 2 + 13, start.height() * 3 / 2 + 7);
  Pump();
  d.resize(start);
  Pump();
  for (int i = 0; i < d.Controls().size(); ++i)
    EXPECT_EQ(d.Controls()[i]->geometry(), before[i]) << i;
}

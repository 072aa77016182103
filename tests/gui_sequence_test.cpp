// Shaping the sequence in the main window: the frame commands from keys and
// menus at the frame the edit area shows, undo and redo (typing first, the
// system menu naming the step), the number field that names the edit area's
// frame, and the frame strip driven with the mouse.
#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

#include "res/ControlIds.h"
#include "tests/GuiTestSupport.h"
#include "ui/FrameStrip.h"
#include "ui/framework/CharCanvas.h"

using namespace guitest;

namespace {

const Qt::KeyboardModifiers kCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

// The frames' texts joined by "|".
QString Frames(CZoetrixDlg& d) {
  QStringList texts;
  for (const auto& node : d.doc().m_animation.m_frames)
    texts << QString::fromStdString(node.Text());
  return texts.join('|');
}

// Typing at the end of the edit area's first row as the user does, so it
// keeps its own undo.
void Type(MainWindow& w, const QString& text) {
  ui::CharCanvas* canvas = w.dlg().EditCanvas();
  canvas->setFocus();
  canvas->SetCursor({0, 0});
  QTest::keyClick(canvas, Qt::Key_End);
  QTest::keyClicks(canvas, text);
}

// The action of a menu whose text starts with prefix.
QAction* Item(QMenu* menu, const QString& prefix) {
  if (!menu) return nullptr;
  for (QAction* a : menu->actions())
    if (a->text().startsWith(prefix)) return a;
  return nullptr;
}

// Answers the number dialog with text and OK.
std::function<void(QDialog&)> AnswerNumber(const QString& text) {
  return [text](QDialog& d) {
    if (d.objectName() != QLatin1String("SequenceNumber")) return d.done(QDialog::Rejected);
    d.findChild<QLineEdit*>(QStringLiteral("ctl_%1").arg(res::IDC_SEQ_NUMBER))->setText(text);
    static_cast<ui::ZDialog&>(d).RunCommand(res::IDOK, ui::Notify::Clicked);
  };
}

}  // namespace

// Each key acts at the frame the edit area shows, and the edit area and
// its number field end on the frame the command concerns.
TEST(SequenceKeys, EachCommandActsAtTheEditAreasFrame) {
  struct Case {
    int key;
    Qt::KeyboardModifiers mods;
    const char* answer;  // the number dialog's, or none
    const char* frames;
    int editAfter;  // position
  };
  const Case cases[] = {
      {Qt::Key_N, kCtrlShift, nullptr, "1|2||3|4", 2},
      {Qt::Key_D, kCtrlShift, nullptr, "1|2|2|3|4", 2},
      {Qt::Key_PageUp, kCtrlShift, nullptr, "2|1|3|4", 0},
      {Qt::Key_PageDown, kCtrlShift, nullptr, "1|3|2|4", 2},
      {Qt::Key_M, kCtrlShift, "4", "1|3|4|2", 3},
      {Qt::Key_H, kCtrlShift, "2", "1|2|2|2|3|4", 1},
      {Qt::Key_T, kCtrlShift, "1", "1|2|2|2|3|4", 1},  // a second at rate 2
      {Qt::Key_Delete, kCtrlShift, nullptr, "1|3|4", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frames);
    Hooks hooks;
    MainWindow w(hooks);
    CZoetrixDlg& d = w.dlg();
    w.MakeNumberedFrames(4, 2);
    w.SetText(res::IDC_EDIT_FRAME, "2");
    w.Click(res::IDC_EDIT_GO);
    if (c.answer) hooks.onDialog = AnswerNumber(c.answer);
    hooks.messages.clear();
    w.Key(res::IDC_EDIT_AREA, c.key, c.mods);
    EXPECT_EQ(Frames(d), c.frames);
    EXPECT_EQ(d.m_comboEdit->currentIndex(), c.editAfter);
    EXPECT_EQ(w.Text(res::IDC_EDIT_FRAME), QString::number(c.editAfter + 1));
    EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), QString::fromStdString(d.doc().TextAt(c.editAfter)));
    EXPECT_EQ(w.Text(res::IDC_FRAME_TOTAL), QString::number(d.doc().FrameCount()));
    // Deleting asks first, with the deletion options' question.
    if (c.key == Qt::Key_Delete) {
      EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("确定删除？")});
    } else {
      EXPECT_TRUE(hooks.messages.isEmpty()) << hooks.messages.join('\n').toStdString();
    }
    // One undo gives back the four frames and frame 2 in the edit area.
    w.Key(res::IDC_EDIT_AREA, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Frames(d), "1|2|3|4");
    EXPECT_EQ(d.m_comboEdit->currentIndex(), 1);
    EXPECT_EQ(w.Text(res::IDC_EDIT_FRAME), "2");
  }
}

TEST(SequenceKeys, RefusalsUseTheToolsOwnMessages) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.Key(res::IDC_EDIT_AREA, Qt::Key_D, kCtrlShift);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("还没有创建动画！请先创建动画！")});

  w.MakeNumberedFrames(1);
  hooks.messages.clear();
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Delete, kCtrlShift);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("已经没有可以删除的帧了。")});
  EXPECT_EQ(d.doc().FrameCount(), 1);

  // At the frame limit nothing is added.
  d.doc().m_animation.m_frames.Insert(0, document::MakeFrameText("x"), document::kMaxFrames - 1);
  d.RefreshFrameControls();
  hooks.messages.clear();
  w.Key(res::IDC_EDIT_AREA, Qt::Key_N, kCtrlShift);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("帧数将超出上限（1000000），未添加。")});
  EXPECT_EQ(d.doc().FrameCount(), document::kMaxFrames);
  // A cancelled number asks nothing more and changes nothing.
  hooks.messages.clear();
  hooks.onDialog = [](QDialog& dialog) { dialog.done(QDialog::Rejected); };
  w.Key(res::IDC_EDIT_AREA, Qt::Key_H, kCtrlShift);
  EXPECT_TRUE(hooks.messages.isEmpty());
  EXPECT_EQ(d.doc().FrameCount(), document::kMaxFrames);
}

// The new user's way: draw, append, play from the start, draw the next
// picture and append again. Playing leaves the edit area where it was, so
// frame 1 keeps its picture.
TEST(SequenceUndo, PlayingThenDrawingKeepsFrameOneAndUndoGivesBackTheDrawing) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.Click(res::IDC_CREATE);
  w.SetText(res::IDC_EDIT_AREA, "AAAA");
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
  w.SetText(res::IDC_EDIT_AREA, "BBBB");
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
  ASSERT_EQ(Frames(d), "AAAA|BBBB|");
  w.Click(res::IDC_PLAY_FROM_START);
  Pump(200);
  w.Click(res::IDC_PAUSE);
  EXPECT_EQ(d.m_comboEdit->currentIndex(), 2);
  EXPECT_EQ(w.Text(res::IDC_EDIT_FRAME), "3");
  Type(w, "CCCC");
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(Frames(d), "AAAA|BBBB|CCCC|");
  EXPECT_EQ(w.Text(res::IDC_EDIT_FRAME), "4");

  // Undo: the new frame goes, and the picture comes back as it was being
  // drawn, in the frame it was drawn in.
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Frames(d), "AAAA|BBBB|");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "CCCC");
  EXPECT_EQ(d.m_comboEdit->currentIndex(), 2);
  EXPECT_EQ(w.Text(res::IDC_EDIT_FRAME), "3");
  // Redo, with Ctrl+Y and with Ctrl+Shift+Z.
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Frames(d), "AAAA|BBBB|CCCC|");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "");
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Z, Qt::ControlModifier);
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Z, kCtrlShift);
  EXPECT_EQ(Frames(d), "AAAA|BBBB|CCCC|");
}

// Ctrl+Z undoes the edit area's typing first, then the last frame command;
// typing since an undo stands in the way of redoing it.
TEST(SequenceUndo, TypingIsUndoneFirst) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(3);
  w.Key(res::IDC_EDIT_AREA, Qt::Key_D, kCtrlShift);
  ASSERT_EQ(Frames(d), "1|2|3|3");
  Type(w, "x");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "3x");
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "3");
  EXPECT_EQ(Frames(d), "1|2|3|3");
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Frames(d), "1|2|3");
  Type(w, "y");
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Frames(d), "1|2|3");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "3y");
}

// A deletion that leaves the edit area's text as it was empties its own
// undo all the same: Ctrl+Z then takes back the deletion, never typing from
// before it, and no emptied text reaches a frame.
TEST(SequenceUndo, NoTypingFromBeforeADeletionIsUndone) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(4);
  w.SetText(res::IDC_EDIT_AREA, "");
  Type(w, "4");  // what frame 4 holds: the deletion leaves the text alone
  hooks.onDialog = [](QDialog& dialog) {
    auto& del = static_cast<ui::ZDialog&>(dialog);
    del.SetDlgItemText(res::IDC_DEL_RANGE_FIRST, "1");
    del.SetDlgItemText(res::IDC_DEL_RANGE_SECOND, "3");
    del.RunCommand(res::IDC_DEL_RANGE, ui::Notify::Clicked);
  };
  w.Click(res::IDC_DELETE_OPTIONS);
  ASSERT_EQ(Frames(d), "1|3|4");
  EXPECT_FALSE(d.EditAreaCanUndo());
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Frames(d), "1|2|3|4");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "4");
  w.Key(res::IDC_EDIT_AREA, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(Frames(d), "1|2|3|4");
}

// The system menu names what Ctrl+Z and Ctrl+Y would take back, and its
// items do it.
TEST(SequenceUndo, TheSystemMenuNamesTheStep) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(2);
  auto openMenu = [&] {
    delete d.findChild<QMenu*>("systemMenu");
    w.Key(res::IDC_HIGH, Qt::Key_Space, Qt::AltModifier);
    return d.findChild<QMenu*>("systemMenu");
  };
  QMenu* menu = openMenu();
  QAction* undo = Item(menu, QString::fromUtf8("撤销"));
  ASSERT_NE(undo, nullptr);
  EXPECT_EQ(undo->text(), QString::fromUtf8("撤销 保存此帧内容(&Z)\tCtrl+Z"));
  EXPECT_FALSE(Item(menu, QString::fromUtf8("重做"))->isEnabled());

  Item(menu, QString::fromUtf8("复制帧"))->trigger();
  EXPECT_EQ(Frames(d), "1|2|2");
  menu = openMenu();
  EXPECT_EQ(Item(menu, QString::fromUtf8("撤销"))->text(),
            QString::fromUtf8("撤销 复制帧(&Z)\tCtrl+Z"));
  Item(menu, QString::fromUtf8("撤销"))->trigger();
  EXPECT_EQ(Frames(d), "1|2");
  menu = openMenu();
  QAction* redo = Item(menu, QString::fromUtf8("重做"));
  EXPECT_TRUE(redo->isEnabled());
  EXPECT_EQ(redo->text(), QString::fromUtf8("重做 复制帧(&Y)\tCtrl+Y"));
  Type(w, "z");
  menu = openMenu();
  EXPECT_EQ(Item(menu, QString::fromUtf8("撤销"))->text(),
            QString::fromUtf8("撤销 输入(&Z)\tCtrl+Z"));
  EXPECT_FALSE(Item(menu, QString::fromUtf8("重做"))->isEnabled());
  delete menu;
}

// The edit area's context menu holds undo, redo and the frame commands.
TEST(SequenceMenus, TheEditAreasContextMenuRunsTheCommands) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(3);
  std::unique_ptr<QMenu> menu(d.MakeEditAreaMenu());
  for (const char* item : {"撤销", "重做", "在后面插入空白帧", "复制帧", "前移一帧", "后移一帧",
                           "移动到第几帧", "保持帧：添加副本", "保持帧：按秒数", "删除帧", "帧条"})
    EXPECT_NE(Item(menu.get(), QString::fromUtf8(item)), nullptr) << item;
  Item(menu.get(), QString::fromUtf8("前移一帧"))->trigger();
  EXPECT_EQ(Frames(d), "1|3|2");
  EXPECT_EQ(d.m_comboEdit->currentIndex(), 1);
  // The canvas's own items are there, its own undo and redo are not: the
  // menu's undo takes back the typing first anyway.
  int undos = 0;
  for (QAction* a : menu->actions()) undos += a->text().startsWith(QString::fromUtf8("撤销"));
  EXPECT_EQ(undos, 1);
  for (const char* item : {"复制(&C)", "粘贴(&P)", "画笔", "矩形", "插入模式"})
    EXPECT_NE(Item(menu.get(), QString::fromUtf8(item)), nullptr) << item;
}

// The strip: a click shows the frame, Shift+click chooses a block, a drag
// moves it, its menu acts on the block, and one undo puts it back.
TEST(FrameStrip, ClickChooseDragAndUndo) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(6);
  const QSize before = d.size();
  w.Key(res::IDC_EDIT_AREA, Qt::Key_F, kCtrlShift);
  ui::FrameStrip* strip = d.Strip();
  ASSERT_NE(strip, nullptr);
  EXPECT_TRUE(strip->isVisible());
  EXPECT_TRUE(strip->isWindow());
  EXPECT_EQ(d.size(), before);  // the main window keeps its size
  strip->resize(900, strip->height());
  Pump();
  QWidget* view = strip->viewport();
  EXPECT_EQ(strip->SelectedFirst(), 5);  // the edit area's frame

  QTest::mouseClick(view, Qt::LeftButton, {}, strip->CellRect(1).center());
  EXPECT_EQ(d.m_comboEdit->currentIndex(), 1);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "2");
  EXPECT_EQ(w.Text(res::IDC_EDIT_FRAME), "2");
  QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier, strip->CellRect(2).center());
  EXPECT_EQ(strip->SelectedFirst(), 1);
  EXPECT_EQ(strip->SelectedCount(), 2);

  // Frames 2 and 3 dragged to after frame 5.
  const QPoint from = strip->CellRect(2).center();
  const QPoint to(strip->CellRect(4).right(), from.y());
  QTest::mousePress(view, Qt::LeftButton, {}, from);
  for (int x = from.x(); x <= to.x(); x += 10) {
    QMouseEvent move(QEvent::MouseMove, QPointF(x, from.y()),
                     view->mapToGlobal(QPointF(x, from.y())), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view, &move);
  }
  QTest::mouseRelease(view, Qt::LeftButton, {}, to);
  EXPECT_EQ(Frames(d), "1|4|5|2|3|6");
  EXPECT_EQ(strip->SelectedFirst(), 3);
  EXPECT_EQ(strip->SelectedCount(), 2);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "2");  // the edit area went with its frame
  EXPECT_EQ(d.m_comboEdit->currentIndex(), 3);

  // The strip's menu duplicates the block chosen.
  QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, strip->CellRect(4).center(),
                              view->mapToGlobal(strip->CellRect(4).center()));
  QApplication::sendEvent(strip->viewport(), &menuEvent);
  QMenu* menu = strip->findChild<QMenu*>("stripMenu");
  ASSERT_NE(menu, nullptr);
  Item(menu, QString::fromUtf8("复制帧"))->trigger();
  EXPECT_EQ(Frames(d), "1|4|5|2|3|2|3|6");
  delete menu;

  w.Key(res::IDC_EDIT_AREA, Qt::Key_Z, Qt::ControlModifier);
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Frames(d), "1|2|3|4|5|6");
  EXPECT_TRUE(strip->windowTitle().startsWith(QString::fromUtf8("帧条 - 共 6 帧")));
}

// A million frames: the strip opens at once and lays out only what it shows.
TEST(FrameStrip, AMillionFramesOpenAtOnce) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(1);
  std::vector<document::FrameText> pictures;
  for (int i = 0; i < 1000; ++i) pictures.push_back(document::MakeFrameText(std::to_string(i)));
  d.doc().m_animation.m_frames.Clear();
  for (int i = 0; i < document::kMaxFrames; ++i)
    d.doc().m_animation.m_frames.Append(pictures[i % 1000]);
  d.RefreshFrameControls();
  QElapsedTimer timer;
  timer.start();
  w.Key(res::IDC_EDIT_AREA, Qt::Key_F, kCtrlShift);
  d.Strip()->grab();
  EXPECT_LT(timer.elapsed(), 500);  // the benchmark holds the real figure
  EXPECT_GT(d.Strip()->LastDrawn(), 0);
  EXPECT_LT(d.Strip()->LastDrawn(), 40);
  EXPECT_EQ(d.Strip()->CachedThumbnails(), d.Strip()->LastDrawn());
  EXPECT_EQ(d.Strip()->FirstVisible() + 1 + d.Strip()->horizontalScrollBar()->pageStep() - 1,
            document::kMaxFrames);  // the last frame, the edit area's, in view
}

// The tool's own commands are undone from the window too: the frames come
// back, the figures follow, and the edit area holds what was being drawn.
TEST(SequenceUndo, TheClassicCommandsAreUndoneInTheWindow) {
  struct Case {
    const char* name;
    int key;
    Qt::KeyboardModifiers mods;
  };
  const Case cases[] = {
      {"Ctrl+Alt+Z", Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier},
      {"Ctrl+E", Qt::Key_E, Qt::ControlModifier},
      {"Ctrl+Shift+E", Qt::Key_E, kCtrlShift},
      {"Ctrl+Shift+A", Qt::Key_A, kCtrlShift},
      {"Ctrl+D", Qt::Key_D, Qt::ControlModifier},
      {"Ctrl+S", Qt::Key_S, Qt::ControlModifier},
      {"Ctrl+Del", Qt::Key_Delete, Qt::ControlModifier},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Hooks hooks;
    MainWindow w(hooks);
    CZoetrixDlg& d = w.dlg();
    w.SetText(res::IDC_DELAY, "1");
    w.MakeNumberedFrames(3, 4);
    const QString before = Frames(d);
    w.SetText(res::IDC_EDIT_AREA, "typed");
    w.Key(res::IDC_EDIT_AREA, c.key, c.mods);
    ASSERT_NE(Frames(d), before);
    w.Key(res::IDC_EDIT_AREA, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Frames(d), before);
    EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "typed");
    EXPECT_EQ(d.m_comboEdit->currentIndex(), 2);
    EXPECT_EQ(w.Text(res::IDC_EDIT_FRAME), "3");
    EXPECT_EQ(w.Text(res::IDC_FRAME_TOTAL), "3");
    EXPECT_EQ(d.m_comboEdit->count(), 3);
    EXPECT_EQ(d.m_comboPreview->count(), 3);
  }
}

// Keys pressed in the strip and its Ctrl+click act on the frames chosen;
// its arrows move the edit area.
TEST(FrameStrip, KeysAndCtrlClickActOnTheChosenFrames) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(6);
  d.OnSysCommand(0x4B0);  // the system menu's "帧条"
  ui::FrameStrip* strip = d.Strip();
  ASSERT_NE(strip, nullptr);
  strip->resize(900, strip->height());
  QWidget* view = strip->viewport();
  QTest::mouseClick(view, Qt::LeftButton, {}, strip->CellRect(1).center());
  QTest::mouseClick(view, Qt::LeftButton, Qt::ControlModifier, strip->CellRect(3).center());
  EXPECT_EQ(strip->SelectedFirst(), 1);
  EXPECT_EQ(strip->SelectedCount(), 3);
  EXPECT_EQ(d.m_comboEdit->currentIndex(), 1);  // Ctrl+click does not move the edit area

  hooks.messages.clear();
  QTest::keyClick(strip, Qt::Key_Delete, kCtrlShift);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("确定删除？")});
  EXPECT_EQ(Frames(d), "1|5|6");
  EXPECT_EQ(d.m_comboEdit->currentIndex(), 1);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "5");
  QTest::keyClick(strip, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Frames(d), "1|2|3|4|5|6");

  QTest::keyClick(strip, Qt::Key_Right);
  QTest::keyClick(strip, Qt::Key_Right);
  EXPECT_EQ(d.m_comboEdit->currentIndex(), 3);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "4");
  EXPECT_EQ(strip->SelectedFirst(), 3);
  EXPECT_EQ(strip->SelectedCount(), 1);
  // Without a choice of its own a key acts on the edit area's frame.
  QTest::keyClick(strip, Qt::Key_D, kCtrlShift);
  EXPECT_EQ(Frames(d), "1|2|3|4|4|5|6");
}

// The number asked for is checked by the dialog: out of range it says so
// and stays open.
TEST(SequenceNumber, ANumberOutOfRangeIsRefusedAndTheDialogStays) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(3);
  bool stayed = false;
  hooks.onDialog = [&](QDialog& dialog) {
    auto& ask = static_cast<ui::ZDialog&>(dialog);
    EXPECT_EQ(ask.windowTitle(), QString::fromUtf8("移动帧"));
    EXPECT_EQ(ask.ControlText(ask.Control(res::IDC_SEQ_NUMBER)), "3");  // where it is now
    ask.SetDlgItemText(res::IDC_SEQ_NUMBER, "4");
    ask.RunCommand(res::IDOK, ui::Notify::Clicked);
    stayed = dialog.isVisible();
    dialog.done(QDialog::Rejected);
  };
  hooks.messages.clear();
  w.Key(res::IDC_EDIT_AREA, Qt::Key_M, kCtrlShift);
  EXPECT_TRUE(stayed);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("请输入一个介于 1 和 3 之间的整数。")});
  EXPECT_EQ(Frames(d), "1|2|3");
}

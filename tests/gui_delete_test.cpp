// Deleting frames: Ctrl+Del and the deletion options.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QComboBox>

#include "tests/GuiTestSupport.h"
#include "ui/DelFrameDlg.h"
#include "ui/framework/MessageBox.h"

using namespace guitest;

namespace {

const QString kBadValue =
    QString::fromUtf8("输入的值非法，可能的原因：\n·值小于或等于0\n·值大于帧数");
const QString kBadRange = QString::fromUtf8(
    "输入的值非法，可能的原因：\n·值小于或等于0\n·值大于帧数\n·选取的两个值为相邻值");

std::string Texts(CZoetrixDlg& d) {
  std::string all;
  for (int i = 0; i < d.m_nFrames; ++i) all += d.m_frames.At(i)->Text() + " ";
  return all;
}

// Fills the deletion options and presses a button while the dialog runs.
void Answer(Hooks& hooks, std::vector<std::pair<int, QString>> fields, int button) {
  hooks.onDialog = [fields, button](QDialog& dialog) {
    auto& d = static_cast<DelFrame&>(dialog);
    for (const auto& [id, text] : fields) ui::ZDialog::SetControlText(d.Control(id), text);
    d.ControlAs<QAbstractButton>(button)->click();
    if (d.isVisible()) d.done(ui::IDCANCEL);
  };
}

}  // namespace

TEST(Delete, CtrlDelRemovesTheLastFrameButNeverTheOnlyOne) {
  Hooks hooks;
  MainWindow w(hooks);
  w.Key(1010, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("还没有创建动画！请先创建动画！")});
  w.MakeNumberedFrames(2);
  hooks.messages.clear();
  w.Key(1010, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("确实要删除最后一帧？操作不可更改。")});
  EXPECT_EQ(w.dlg().m_nFrames, 1);
  // The edit area now holds the frame that is last, so drawing on keeps it.
  EXPECT_EQ(w.Text(1010), "1");
  hooks.messages.clear();
  w.Key(1010, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("已经没有可以删除的帧了。")});
  EXPECT_EQ(w.dlg().m_nFrames, 1);
  w.SetText(1010, "2");
  w.Click(1012);
  hooks.answer = ui::IDCANCEL;
  w.Key(1010, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(w.dlg().m_nFrames, 2);
}

TEST(Delete, FromTheEndARangeOrOneFrame) {
  struct Case {
    std::vector<std::pair<int, QString>> fields;
    int button;
    const char* left;
  } cases[] = {
      {{{1077, "3"}}, 1074, "1 2 3 4 5 6 7 "},
      {{{1077, "10"}}, 1074, ""},
      {{{1078, "3"}, {1079, "7"}}, 1075, "1 2 3 7 8 9 10 "},
      {{{1078, "7"}, {1079, "3"}}, 1075, "1 2 3 7 8 9 10 "},
      {{{1080, "10"}}, 1076, "1 2 3 4 5 6 7 8 9 "},
      {{{1080, "1"}}, 1076, "2 3 4 5 6 7 8 9 10 "},
  };
  for (const Case& c : cases) {
    Hooks hooks;
    MainWindow w(hooks);
    w.MakeNumberedFrames(10);
    hooks.messages.clear();
    Answer(hooks, c.fields, c.button);
    w.Click(1073);
    EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("确定删除？")}) << c.left;
    EXPECT_EQ(Texts(w.dlg()), c.left);
    EXPECT_EQ(w.Text(1042), QString::number(w.dlg().m_nFrames));
  }
}

TEST(Delete, BadValuesKeepTheDialogOpenAndDeleteNothing) {
  struct Case {
    std::vector<std::pair<int, QString>> fields;
    int button;
    QString message;
  } cases[] = {
      {{{1077, "0"}}, 1074, kBadValue},
      {{{1077, "11"}}, 1074, kBadValue},
      {{{1078, "3"}, {1079, "4"}}, 1075, kBadRange},
      {{{1078, "4"}, {1079, "3"}}, 1075, kBadRange},
      {{{1078, "5"}, {1079, "5"}}, 1075, kBadRange},
      {{{1078, "0"}, {1079, "5"}}, 1075, kBadRange},
      {{{1078, "-2147483648"}, {1079, "5"}}, 1075, kBadRange},
      {{{1080, "11"}}, 1076, kBadValue},
  };
  for (const Case& c : cases) {
    Hooks hooks;
    MainWindow w(hooks);
    w.MakeNumberedFrames(10);
    hooks.messages.clear();
    bool stayedOpen = false;
    hooks.onDialog = [&](QDialog& dialog) {
      auto& d = static_cast<DelFrame&>(dialog);
      for (const auto& [id, text] : c.fields) ui::ZDialog::SetControlText(d.Control(id), text);
      d.ControlAs<QAbstractButton>(c.button)->click();
      stayedOpen = d.isVisible();
      d.done(ui::IDCANCEL);
    };
    w.Click(1073);
    EXPECT_EQ(hooks.messages, QStringList{c.message});
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(w.dlg().m_nFrames, 10);
  }
}

TEST(Delete, EnterInTheOptionsLeadsToTheModeErrorAndDeletesNothing) {
  Hooks hooks;
  MainWindow w(hooks);
  w.MakeNumberedFrames(4);
  hooks.messages.clear();
  hooks.onDialog = [](QDialog& dialog) {
    auto& d = static_cast<DelFrame&>(dialog);
    d.Control(1077)->setFocus();
    d.RunCommand(ui::IDOK, ui::Notify::Clicked);
  };
  w.Click(1073);
  EXPECT_EQ(hooks.messages, (QStringList{QString::fromUtf8("确定删除？"),
                                         QString::fromUtf8("意外的错误：传入的模式有误！")}));
  EXPECT_EQ(w.dlg().m_nFrames, 4);
}

TEST(Delete, AfterARangeToTheEndCtrlDelShortensOneAtATime) {
  Hooks hooks;
  MainWindow w(hooks);
  w.MakeNumberedFrames(6);
  Answer(hooks, {{1078, "2"}, {1079, "6"}}, 1075);
  w.Click(1073);
  ASSERT_EQ(Texts(w.dlg()), "1 2 6 ");
  for (int left = 2; left >= 1; --left) {
    w.Key(1010, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(w.dlg().m_nFrames, left);
  }
  EXPECT_EQ(Texts(w.dlg()), "1 ");
}

// A field that does not validate is reported once per copy of the fields:
// Ctrl+Del copies them once (in the refresh), the options twice.
TEST(Delete, AFieldOutOfRangeIsReportedOncePerCopy) {
  Hooks hooks;
  MainWindow w(hooks);
  w.MakeNumberedFrames(5);
  w.SetText(1002, "150");
  hooks.messages.clear();
  w.Key(1010, Qt::Key_Delete, Qt::ControlModifier);
  const QString range = QString::fromUtf8("请输入一个介于 10 和 100 之间的整数。");
  EXPECT_EQ(hooks.messages.count(range), 1);
  EXPECT_EQ(w.dlg().m_nFrames, 4);
  // The edit area holds the new last frame although the copy stopped before it.
  EXPECT_EQ(w.Text(1010), "4");
  EXPECT_EQ(w.Text(1042), "4");
  hooks.messages.clear();
  Answer(hooks, {{1080, "1"}}, 1076);
  w.Click(1073);
  EXPECT_EQ(hooks.messages.count(range), 2);
  EXPECT_EQ(Texts(w.dlg()), "2 3 4 ");
}

// The recipe in the guide: every Ctrl+Alt+Z leaves a blank frame being
// edited; Ctrl+Del takes it off, and saving (as the export does first) keeps
// the last picture as the last frame.
TEST(Delete, TheTrailingBlankFrameGoesAndTheAnimationEndsOnItsLastPicture) {
  Hooks hooks;
  MainWindow w(hooks);
  w.Click(1005);
  for (const char* picture : {"A", "B"}) {
    w.SetText(1010, picture);
    w.Key(1010, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
  }
  ASSERT_EQ(Texts(w.dlg()), "A B  ");
  w.Key(1010, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(w.Text(1010), "B");
  w.Key(1010, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(Texts(w.dlg()), "A B ");
}

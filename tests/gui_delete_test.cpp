// Deleting frames: Ctrl+Del and the deletion options.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QComboBox>

#include "res/ControlIds.h"
#include "tests/GuiTestSupport.h"
#include "ui/DelFrame.h"
#include "ui/framework/MessageBox.h"

using namespace guitest;

namespace {

const QString kBadValue =
    QString::fromUtf8("输入的值非法，可能的原因：\n·值小于或等于0\n·值大于帧数");
const QString kBadRange = QString::fromUtf8(
    "输入的值非法，可能的原因：\n·值小于或等于0\n·值大于帧数\n·选取的两个值为相邻值");

std::string Texts(CZoetrixDlg& d) {
  std::string all;
  for (int i = 0; i < d.doc().FrameCount(); ++i)
    all += d.doc().m_animation.m_frames.At(i)->Text() + " ";
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
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("还没有创建动画！请先创建动画！")});
  w.MakeNumberedFrames(2);
  hooks.messages.clear();
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("确实要删除最后一帧？操作不可更改。")});
  EXPECT_EQ(w.dlg().doc().FrameCount(), 1);
  // The edit area now holds the frame that is last, so drawing on keeps it.
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "1");
  hooks.messages.clear();
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("已经没有可以删除的帧了。")});
  EXPECT_EQ(w.dlg().doc().FrameCount(), 1);
  w.SetText(res::IDC_EDIT_AREA, "2");
  w.Click(res::IDC_APPEND_BLANK);
  hooks.answer = ui::IDCANCEL;
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(w.dlg().doc().FrameCount(), 2);
}

// Each button of the options takes its frames out (which ones is the
// document's rule: see DeleteRule) after one question, and the totals follow.
TEST(Delete, EachOptionDeletesAfterOneQuestion) {
  struct Case {
    std::vector<std::pair<int, QString>> fields;
    int button;
    const char* left;
  } cases[] = {
      {{{res::IDC_DEL_TAIL_COUNT, "3"}}, res::IDC_DEL_TAIL, "1 2 3 4 5 6 7 "},
      {{{res::IDC_DEL_RANGE_FIRST, "7"}, {res::IDC_DEL_RANGE_SECOND, "3"}},
       res::IDC_DEL_RANGE,
       "1 2 3 7 8 9 10 "},
      {{{res::IDC_DEL_SINGLE_NUMBER, "1"}}, res::IDC_DEL_SINGLE, "2 3 4 5 6 7 8 9 10 "},
  };
  for (const Case& c : cases) {
    Hooks hooks;
    MainWindow w(hooks);
    w.MakeNumberedFrames(10);
    hooks.messages.clear();
    Answer(hooks, c.fields, c.button);
    w.Click(res::IDC_DELETE_OPTIONS);
    EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("确定删除？")}) << c.left;
    EXPECT_EQ(Texts(w.dlg()), c.left);
    EXPECT_EQ(w.Text(res::IDC_FRAME_TOTAL), QString::number(w.dlg().doc().FrameCount()));
    EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), QString::fromStdString(w.dlg().doc().m_strEditText));
  }
}

TEST(Delete, BadValuesKeepTheDialogOpenAndDeleteNothing) {
  struct Case {
    std::vector<std::pair<int, QString>> fields;
    int button;
    QString message;
  } cases[] = {
      {{{res::IDC_DEL_TAIL_COUNT, "0"}}, res::IDC_DEL_TAIL, kBadValue},
      {{{res::IDC_DEL_TAIL_COUNT, "11"}}, res::IDC_DEL_TAIL, kBadValue},
      {{{res::IDC_DEL_RANGE_FIRST, "3"}, {res::IDC_DEL_RANGE_SECOND, "4"}},
       res::IDC_DEL_RANGE,
       kBadRange},
      {{{res::IDC_DEL_RANGE_FIRST, "4"}, {res::IDC_DEL_RANGE_SECOND, "3"}},
       res::IDC_DEL_RANGE,
       kBadRange},
      {{{res::IDC_DEL_RANGE_FIRST, "5"}, {res::IDC_DEL_RANGE_SECOND, "5"}},
       res::IDC_DEL_RANGE,
       kBadRange},
      {{{res::IDC_DEL_RANGE_FIRST, "0"}, {res::IDC_DEL_RANGE_SECOND, "5"}},
       res::IDC_DEL_RANGE,
       kBadRange},
      {{{res::IDC_DEL_RANGE_FIRST, "-2147483648"}, {res::IDC_DEL_RANGE_SECOND, "5"}},
       res::IDC_DEL_RANGE,
       kBadRange},
      {{{res::IDC_DEL_SINGLE_NUMBER, "11"}}, res::IDC_DEL_SINGLE, kBadValue},
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
    w.Click(res::IDC_DELETE_OPTIONS);
    EXPECT_EQ(hooks.messages, QStringList{c.message});
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(w.dlg().doc().FrameCount(), 10);
  }
}

TEST(Delete, EnterInTheOptionsLeadsToTheModeErrorAndDeletesNothing) {
  Hooks hooks;
  MainWindow w(hooks);
  w.MakeNumberedFrames(4);
  hooks.messages.clear();
  hooks.onDialog = [](QDialog& dialog) {
    auto& d = static_cast<DelFrame&>(dialog);
    d.Control(res::IDC_DEL_TAIL_COUNT)->setFocus();
    d.RunCommand(ui::IDOK, ui::Notify::Clicked);
  };
  w.Click(res::IDC_DELETE_OPTIONS);
  EXPECT_EQ(hooks.messages, (QStringList{QString::fromUtf8("确定删除？"),
                                         QString::fromUtf8("意外的错误：传入的模式有误！")}));
  EXPECT_EQ(w.dlg().doc().FrameCount(), 4);
}

TEST(Delete, AfterARangeToTheEndCtrlDelShortensOneAtATime) {
  Hooks hooks;
  MainWindow w(hooks);
  w.MakeNumberedFrames(6);
  Answer(hooks, {{res::IDC_DEL_RANGE_FIRST, "2"}, {res::IDC_DEL_RANGE_SECOND, "6"}},
         res::IDC_DEL_RANGE);
  w.Click(res::IDC_DELETE_OPTIONS);
  ASSERT_EQ(Texts(w.dlg()), "1 2 6 ");
  for (int left = 2; left >= 1; --left) {
    w.Key(res::IDC_EDIT_AREA, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(w.dlg().doc().FrameCount(), left);
  }
  EXPECT_EQ(Texts(w.dlg()), "1 ");
}

// A field that does not validate is reported once per copy of the fields:
// Ctrl+Del copies them once (in the refresh), the options twice.
TEST(Delete, AFieldOutOfRangeIsReportedOncePerCopy) {
  Hooks hooks;
  MainWindow w(hooks);
  w.MakeNumberedFrames(5);
  w.SetText(res::IDC_HIGH, "150");
  hooks.messages.clear();
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Delete, Qt::ControlModifier);
  const QString range = QString::fromUtf8("请输入一个介于 10 和 100 之间的整数。");
  EXPECT_EQ(hooks.messages.count(range), 1);
  EXPECT_EQ(w.dlg().doc().FrameCount(), 4);
  // The edit area holds the new last frame although the copy stopped before it.
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "4");
  EXPECT_EQ(w.Text(res::IDC_FRAME_TOTAL), "4");
  hooks.messages.clear();
  Answer(hooks, {{res::IDC_DEL_SINGLE_NUMBER, "1"}}, res::IDC_DEL_SINGLE);
  w.Click(res::IDC_DELETE_OPTIONS);
  EXPECT_EQ(hooks.messages.count(range), 2);
  EXPECT_EQ(Texts(w.dlg()), "2 3 4 ");
}

// The recipe in the guide: every Ctrl+Alt+Z leaves a blank frame being
// edited; Ctrl+Del takes it off, and saving (as the export does first) keeps
// the last picture as the last frame.
TEST(Delete, TheTrailingBlankFrameGoesAndTheAnimationEndsOnItsLastPicture) {
  Hooks hooks;
  MainWindow w(hooks);
  w.Click(res::IDC_CREATE);
  for (const char* picture : {"A", "B"}) {
    w.SetText(res::IDC_EDIT_AREA, picture);
    w.Key(res::IDC_EDIT_AREA, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
  }
  ASSERT_EQ(Texts(w.dlg()), "A B  ");
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "B");
  w.Key(res::IDC_EDIT_AREA, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(Texts(w.dlg()), "A B ");
}

// Moving both views between frames, saving a frame, and the properties.
#include <gtest/gtest.h>
#include <QComboBox>

#include "res/ControlIds.h"
#include "tests/GuiTestSupport.h"

using namespace guitest;

namespace {

const QString kNoSuchFrame = QString::fromUtf8("没有这一帧！");

// The user picks an item in a selector.
void Choose(QComboBox* c, int index) {
  c->setCurrentIndex(index);
  emit c->activated(index);
}

}  // namespace

TEST(Navigation, ArrowsRightAfterCreatingAndAtBothEnds) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.Click(res::IDC_CREATE);
  hooks.messages.clear();
  ASSERT_EQ(d.m_comboPreview->currentIndex(), -1);
  w.Click(res::IDC_PREVIEW_PREV);  // "←" with nothing selected
  EXPECT_EQ(hooks.messages, QStringList{kNoSuchFrame});
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_FRAME), "-1");
  hooks.messages.clear();
  w.Click(res::IDC_PREVIEW_NEXT);  // "→" with nothing selected goes to frame 1
  EXPECT_TRUE(hooks.messages.isEmpty());
  EXPECT_EQ(d.m_comboPreview->currentIndex(), 0);
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_FRAME), "1");
  w.Click(res::IDC_PREVIEW_NEXT);  // past the last frame
  EXPECT_EQ(hooks.messages, QStringList{kNoSuchFrame});
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_FRAME), "2");
  EXPECT_EQ(d.m_comboPreview->currentIndex(), 0);
  hooks.messages.clear();
  w.Click(res::IDC_PREVIEW_PREV);
  EXPECT_EQ(hooks.messages, QStringList{kNoSuchFrame});  // frame 1 has no frame before it
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_FRAME), "0");
}

TEST(Navigation, EditArrowsMoveThroughStoredTexts) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeDrawnFrames(3);
  hooks.messages.clear();
  w.Click(res::IDC_EDIT_PREV);  // from frame 3 to 2
  EXPECT_EQ(d.m_comboEdit->currentIndex(), 1);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "f2");
  EXPECT_EQ(w.Text(res::IDC_EDIT_FRAME), "2");
  w.Click(res::IDC_EDIT_PREV);
  w.Click(res::IDC_EDIT_NEXT);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "f2");
  EXPECT_TRUE(hooks.messages.isEmpty());
}

TEST(Navigation, GoToByNumber) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  // Before any animation there is no frame to go to.
  w.Click(res::IDC_PREVIEW_GO);
  EXPECT_EQ(hooks.messages, QStringList{kNoSuchFrame});
  w.MakeDrawnFrames(3);
  for (const char* bad : {"5", "0", "4"}) {
    hooks.messages.clear();
    w.SetText(res::IDC_PREVIEW_FRAME, bad);
    w.Click(res::IDC_PREVIEW_GO);
    EXPECT_EQ(hooks.messages, QStringList{kNoSuchFrame}) << bad;
    EXPECT_EQ(w.Text(res::IDC_PREVIEW_FRAME), bad);
  }
  hooks.messages.clear();
  w.SetText(res::IDC_PREVIEW_FRAME, "2");
  w.Click(res::IDC_PREVIEW_GO);
  EXPECT_TRUE(hooks.messages.isEmpty());
  EXPECT_EQ(d.m_comboPreview->currentIndex(), 1);
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "f2");
  w.SetText(res::IDC_EDIT_FRAME, "1");
  w.Click(res::IDC_EDIT_GO);
  EXPECT_EQ(d.m_comboEdit->currentIndex(), 0);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "f1");
}

// Every way of moving the edit area keeps what was typed in the frame it
// leaves, as Ctrl+S would; choosing a preview frame leaves the edit area as
// typed.
TEST(Navigation, MovingTheEditAreaKeepsWhatWasTyped) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeDrawnFrames(4);
  w.SetText(res::IDC_EDIT_AREA, "typed into 4");
  Choose(d.m_comboEdit, 2);  // the selector
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "f3");
  EXPECT_EQ(d.doc().m_animation.m_frames.At(3)->Text(), "typed into 4");
  w.SetText(res::IDC_EDIT_AREA, "typed into 3");
  Choose(d.m_comboEdit, 3);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "typed into 4");
  Choose(d.m_comboEdit, 2);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "typed into 3");
  EXPECT_EQ(w.Text(res::IDC_EDIT_FRAME), "3");  // the number field names the frame shown

  w.SetText(res::IDC_EDIT_AREA, "arrow");
  w.Click(res::IDC_EDIT_PREV);  // "←" to frame 2
  EXPECT_EQ(d.doc().m_animation.m_frames.At(2)->Text(), "arrow");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "f2");
  w.SetText(res::IDC_EDIT_AREA, "go to");
  w.SetText(res::IDC_EDIT_FRAME, "1");
  w.Click(res::IDC_EDIT_GO);  // the number field
  EXPECT_EQ(d.doc().m_animation.m_frames.At(1)->Text(), "go to");
  w.SetText(res::IDC_EDIT_AREA, "played");
  w.Click(res::IDC_PLAY_FROM_START);  // playing keeps the edit area on its frame, and what
                                      // it holds there
  w.Click(res::IDC_PAUSE);
  EXPECT_EQ(d.m_comboEdit->currentIndex(), 0);
  EXPECT_EQ(d.doc().m_animation.m_frames.At(0)->Text(), "played");
  // A frame number that is not there moves nothing and stores nothing.
  w.SetText(res::IDC_EDIT_AREA, "stays");
  w.SetText(res::IDC_EDIT_FRAME, "9");
  w.Click(res::IDC_EDIT_GO);
  EXPECT_EQ(d.doc().m_animation.m_frames.At(0)->Text(), "played");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "stays");
  EXPECT_EQ(w.Text(res::IDC_EDIT_FRAME), "1");  // back to the frame shown

  w.SetText(res::IDC_EDIT_AREA, "typed again");
  w.SetText(res::IDC_NAME, "not kept");
  Choose(d.m_comboPreview, 0);
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA),
            "played");  // as stored: the preview does not show the typing
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "typed again");
  EXPECT_EQ(w.Text(res::IDC_NAME), QString::fromUtf8("无题"));
  EXPECT_EQ(d.doc().FrameCount(), 4);
}

TEST(Navigation, SavingFrameTwoOfFive) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeDrawnFrames(5);
  w.SetText(res::IDC_PREVIEW_FRAME, "2");
  w.Click(res::IDC_PREVIEW_GO);
  Choose(d.m_comboEdit, 1);
  w.SetText(res::IDC_EDIT_AREA, "new two");
  w.Key(res::IDC_EDIT_AREA, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(d.doc().m_animation.m_frames.At(1)->Text(), "new two");
  for (int i : {0, 2, 3})
    EXPECT_EQ(d.doc().m_animation.m_frames.At(i)->Text(),
              std::string("f").append(std::to_string(i + 1)));
  EXPECT_EQ(d.doc().FrameCount(), 5);
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA),
            "f2");  // the preview keeps the old text until shown again
  w.Click(res::IDC_PREVIEW_GO);
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "new two");
}

TEST(Navigation, SaveAndPropertiesNeedAnAnimation) {
  Hooks hooks;
  MainWindow w(hooks);
  w.Click(res::IDC_SAVE_FRAME);
  w.Click(res::IDC_PROPERTIES);
  const QString none = QString::fromUtf8("还没有创建动画！请先创建动画！");
  EXPECT_EQ(hooks.messages, (QStringList{none, none}));
}

TEST(Properties, SixLinesWithTheNameOfTheLastExchange) {
  Hooks hooks;
  MainWindow w(hooks);
  w.Click(res::IDC_CREATE);
  hooks.messages.clear();
  w.SetText(res::IDC_NAME, "typed but not exchanged");
  w.Click(res::IDC_PROPERTIES);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_EQ(
      hooks.messages[0].split('\n'),
      QString::fromUtf8(
          "【动画属性】\n动画名称：无题\n动画画布尺寸：宽80，高25\n动画颜色：07\n帧频：24\n帧数：1")
          .split('\n'));
}

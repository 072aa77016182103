// Moving both views between frames, saving a frame, and the properties.
#include <gtest/gtest.h>
#include <QComboBox>

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
  w.Click(1005);
  hooks.messages.clear();
  ASSERT_EQ(d.m_comboPreview->currentIndex(), -1);
  w.Click(1081);  // "←" with nothing selected
  EXPECT_EQ(hooks.messages, QStringList{kNoSuchFrame});
  EXPECT_EQ(w.Text(1026), "-1");
  hooks.messages.clear();
  w.Click(1082);  // "→" with nothing selected goes to frame 1
  EXPECT_TRUE(hooks.messages.isEmpty());
  EXPECT_EQ(d.m_comboPreview->currentIndex(), 0);
  EXPECT_EQ(w.Text(1026), "1");
  w.Click(1082);  // past the last frame
  EXPECT_EQ(hooks.messages, QStringList{kNoSuchFrame});
  EXPECT_EQ(w.Text(1026), "2");
  EXPECT_EQ(d.m_comboPreview->currentIndex(), 0);
  hooks.messages.clear();
  w.Click(1081);
  EXPECT_EQ(hooks.messages, QStringList{kNoSuchFrame});  // frame 1 has no frame before it
  EXPECT_EQ(w.Text(1026), "0");
}

TEST(Navigation, EditArrowsMoveThroughStoredTexts) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeDrawnFrames(3);
  hooks.messages.clear();
  w.Click(1085);  // from frame 3 to 2
  EXPECT_EQ(d.m_comboEdit->currentIndex(), 1);
  EXPECT_EQ(w.Text(1010), "f2");
  EXPECT_EQ(w.Text(1024), "2");
  w.Click(1085);
  w.Click(1086);
  EXPECT_EQ(w.Text(1010), "f2");
  EXPECT_TRUE(hooks.messages.isEmpty());
}

TEST(Navigation, GoToByNumber) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  // Before any animation there is no frame to go to.
  w.Click(1027);
  EXPECT_EQ(hooks.messages, QStringList{kNoSuchFrame});
  w.MakeDrawnFrames(3);
  for (const char* bad : {"5", "0", "4"}) {
    hooks.messages.clear();
    w.SetText(1026, bad);
    w.Click(1027);
    EXPECT_EQ(hooks.messages, QStringList{kNoSuchFrame}) << bad;
    EXPECT_EQ(w.Text(1026), bad);
  }
  hooks.messages.clear();
  w.SetText(1026, "2");
  w.Click(1027);
  EXPECT_TRUE(hooks.messages.isEmpty());
  EXPECT_EQ(d.m_comboPreview->currentIndex(), 1);
  EXPECT_EQ(w.Text(1009), "f2");
  w.SetText(1024, "1");
  w.Click(1025);
  EXPECT_EQ(d.m_comboEdit->currentIndex(), 0);
  EXPECT_EQ(w.Text(1010), "f1");
}

// Every way of moving the edit area keeps what was typed in the frame it
// leaves, as Ctrl+S would; choosing a preview frame leaves the edit area as
// typed.
TEST(Navigation, MovingTheEditAreaKeepsWhatWasTyped) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeDrawnFrames(4);
  w.SetText(1010, "typed into 4");
  Choose(d.m_comboEdit, 2);  // the selector
  EXPECT_EQ(w.Text(1010), "f3");
  EXPECT_EQ(d.m_frames.At(3)->Text(), "typed into 4");
  w.SetText(1010, "typed into 3");
  Choose(d.m_comboEdit, 3);
  EXPECT_EQ(w.Text(1010), "typed into 4");
  Choose(d.m_comboEdit, 2);
  EXPECT_EQ(w.Text(1010), "typed into 3");
  EXPECT_EQ(w.Text(1024), "1");  // the number field is not moved

  w.SetText(1010, "arrow");
  w.Click(1085);  // "←" to frame 2
  EXPECT_EQ(d.m_frames.At(2)->Text(), "arrow");
  EXPECT_EQ(w.Text(1010), "f2");
  w.SetText(1010, "go to");
  w.SetText(1024, "1");
  w.Click(1025);  // the number field
  EXPECT_EQ(d.m_frames.At(1)->Text(), "go to");
  w.SetText(1010, "played");
  w.Click(1038);  // playing from the start moves the edit area to field 1024's frame
  w.Click(1040);
  EXPECT_EQ(d.m_frames.At(0)->Text(), "played");
  // A frame number that is not there moves nothing and stores nothing.
  w.SetText(1010, "stays");
  w.SetText(1024, "9");
  w.Click(1025);
  EXPECT_EQ(d.m_frames.At(0)->Text(), "played");
  EXPECT_EQ(w.Text(1010), "stays");

  w.SetText(1010, "typed again");
  w.SetText(1019, "not kept");
  Choose(d.m_comboPreview, 0);
  EXPECT_EQ(w.Text(1009), "played");  // as stored: the preview does not show the typing
  EXPECT_EQ(w.Text(1010), "typed again");
  EXPECT_EQ(w.Text(1019), QString::fromUtf8("无题"));
  EXPECT_EQ(d.m_nFrames, 4);
}

// A text the frames cannot hold is not left behind: the edit area stays.
TEST(Navigation, TheEditAreaStaysWhenItsTextCannotBeStored) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeDrawnFrames(3);
  const QString unsavable = QString::fromUtf8("emoji 😀");
  w.SetText(1010, unsavable);
  hooks.messages.clear();
  Choose(d.m_comboEdit, 0);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_TRUE(hooks.messages[0].contains(QString::fromUtf8("无法保存的字符")));
  EXPECT_EQ(d.m_comboEdit->currentIndex(), 2);
  EXPECT_EQ(w.Text(1010), unsavable);
  hooks.messages.clear();
  w.Click(1085);
  EXPECT_EQ(hooks.messages.size(), 1);  // one report, from the exchange
  EXPECT_EQ(d.m_comboEdit->currentIndex(), 2);
  EXPECT_EQ(w.Text(1010), unsavable);
  Choose(d.m_comboPreview, 0);
  EXPECT_EQ(w.Text(1010), unsavable);
  EXPECT_EQ(w.Text(1009), "f1");
}

TEST(Navigation, SavingFrameTwoOfFive) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeDrawnFrames(5);
  w.SetText(1026, "2");
  w.Click(1027);
  Choose(d.m_comboEdit, 1);
  w.SetText(1010, "new two");
  w.Key(1010, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(d.m_frames.At(1)->Text(), "new two");
  for (int i : {0, 2, 3}) EXPECT_EQ(d.m_frames.At(i)->Text(), "f" + std::to_string(i + 1));
  EXPECT_EQ(d.m_nFrames, 5);
  EXPECT_EQ(w.Text(1009), "f2");  // the preview keeps the old text until shown again
  w.Click(1027);
  EXPECT_EQ(w.Text(1009), "new two");
}

TEST(Navigation, SaveAndPropertiesNeedAnAnimation) {
  Hooks hooks;
  MainWindow w(hooks);
  w.Click(1022);
  w.Click(1072);
  const QString none = QString::fromUtf8("还没有创建动画！请先创建动画！");
  EXPECT_EQ(hooks.messages, (QStringList{none, none}));
}

TEST(Properties, SixLinesWithTheNameOfTheLastExchange) {
  Hooks hooks;
  MainWindow w(hooks);
  w.Click(1005);
  hooks.messages.clear();
  w.SetText(1019, "typed but not exchanged");
  w.Click(1072);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_EQ(
      hooks.messages[0].split('\n'),
      QString::fromUtf8(
          "【动画属性】\n动画名称：无题\n动画画布尺寸：宽80，高25\n动画颜色：07\n帧频：24\n帧数：1")
          .split('\n'));
}

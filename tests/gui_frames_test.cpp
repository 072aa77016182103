// The frame list seen through the main window: appending blank frames, the
// refresh of the frame controls, and the data exchange around them.
#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QProgressBar>
#include <QSlider>
#include <QTest>

#include "res/ControlIds.h"
#include "tests/GuiTestSupport.h"
#include "ui/framework/CharCanvas.h"
#include "ui/framework/MessageBox.h"

using document::FrameText;
using document::MakeFrameText;

using namespace guitest;
using testsupport::Gbk;

TEST(AppendBlankFrame, RefusedWithoutAnAnimation) {
  Hooks hooks;
  MainWindow w(hooks);
  w.SetText(res::IDC_EDIT_AREA, "x");
  w.Click(res::IDC_APPEND_BLANK);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("还没有创建动画！请先创建动画！")});
  EXPECT_EQ(hooks.messageTypes, QList<int>{ui::MB_OK});
  EXPECT_EQ(w.dlg().doc().FrameCount(), 0);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "x");
}

TEST(AppendBlankFrame, StoresTheEditTextIntoTheLastFrameAndRefreshes) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.PretendCreated(24);
  w.SetText(res::IDC_EDIT_AREA, QString::fromUtf8("第一帧\n  /\\_/\\"));
  w.Click(res::IDC_APPEND_BLANK);  // the first node becomes frame 1 after the head takes the text
  EXPECT_EQ(d.doc().m_animation.m_frames.Head().Text(), Gbk("第一帧\r\n  /\\_/\\"));
  EXPECT_EQ(d.doc().FrameCount(), 1);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "");
  EXPECT_EQ(w.Text(res::IDC_FRAME_TOTAL), "1");
  EXPECT_EQ(w.Text(res::IDC_DURATION), "0.041667");
  EXPECT_EQ(d.m_comboEdit->count(), 1);
  EXPECT_EQ(d.m_comboEdit->currentText(), QString::fromUtf8("第1帧"));
  EXPECT_EQ(d.m_comboPreview->currentIndex(), -1);
  // No preview selection: the head's text shows.
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), QString::fromUtf8("第一帧\n  /\\_/\\"));
  // One frame: an empty bar, never the "busy" one a range of 0 to 0 draws.
  EXPECT_EQ(d.m_progress->minimum(), 0);
  EXPECT_EQ(d.m_progress->maximum(), 1);
  EXPECT_EQ(d.m_progress->value(), 0);

  w.SetText(res::IDC_EDIT_AREA, "two");
  w.Click(res::IDC_APPEND_BLANK);
  EXPECT_EQ(d.doc().FrameCount(), 2);
  EXPECT_EQ(d.doc().m_animation.m_frames.At(0)->Text(), "two");
  EXPECT_EQ(d.doc().m_animation.m_frames.At(1)->Text(), "");
  EXPECT_EQ(d.m_comboEdit->currentIndex(), 1);
  EXPECT_EQ(d.m_comboPreview->currentIndex(), 0);
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "two");
  EXPECT_EQ(d.m_slider->maximum(), 0);
  EXPECT_EQ(d.m_progress->maximum(), 1);
}

// Ctrl+Alt+Z stores the edit area into the frame it shows (here frame 1,
// chosen by number): the last frame keeps its picture.
TEST(AppendBlankFrame, TextGoesToTheFrameTheEditAreaShows) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.PretendCreated(1);
  for (int i = 0; i < 10; ++i) w.Click(res::IDC_APPEND_BLANK);
  ASSERT_EQ(d.doc().FrameCount(), 10);
  w.SetText(res::IDC_EDIT_AREA, "last");
  w.Key(res::IDC_EDIT_AREA, Qt::Key_S, Qt::ControlModifier);
  w.SetText(res::IDC_EDIT_FRAME, "1");
  w.Click(res::IDC_EDIT_GO);
  ASSERT_EQ(d.m_comboEdit->currentIndex(), 0);
  w.SetText(res::IDC_EDIT_AREA, "first");
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(d.doc().m_animation.m_frames.At(0)->Text(), "first");
  EXPECT_EQ(d.doc().m_animation.m_frames.At(9)->Text(), "last");
  d.m_comboEdit->setCurrentIndex(2);
  w.SetText(res::IDC_EDIT_AREA, "new");
  w.Click(res::IDC_APPEND_BLANK);
  EXPECT_EQ(d.doc().FrameCount(), 12);
  EXPECT_EQ(d.doc().m_animation.m_frames.At(2)->Text(), "new");
  EXPECT_EQ(d.doc().m_animation.m_frames.At(10)->Text(), "");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "");  // the new blank frame is shown, as before
  EXPECT_EQ(d.m_comboEdit->count(), 12);
  EXPECT_EQ(d.m_comboEdit->currentIndex(), 11);
  EXPECT_EQ(d.m_comboEdit->itemText(11), QString::fromUtf8("第12帧"));
  EXPECT_EQ(w.Text(res::IDC_FRAME_TOTAL), "12");
  EXPECT_EQ(w.Text(res::IDC_DURATION), "12.000000");
  EXPECT_EQ(d.m_slider->maximum(), 10);
  EXPECT_EQ(d.m_progress->maximum(), 11);
}

TEST(AppendBlankFrame, OutOfRangeHeightStopsTheExchangeBeforeTheEditArea) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.PretendCreated();
  d.doc().m_strEditText = "before";
  w.SetText(res::IDC_HIGH, "150");
  w.SetText(res::IDC_EDIT_AREA, "typed");
  w.Click(res::IDC_APPEND_BLANK);
  ASSERT_FALSE(hooks.messages.isEmpty());
  EXPECT_EQ(hooks.messages[0], QString::fromUtf8("请输入一个介于 10 和 100 之间的整数。"));
  EXPECT_EQ(d.doc().m_nHigh, 150);
  EXPECT_EQ(d.doc().m_animation.m_frames.Head().Text(),
            "before");  // the exchange never reached the edit area
  EXPECT_EQ(d.doc().FrameCount(), 1);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "");
}

TEST(DataExchange, ANonIntegerKeepsThisAndEveryLaterMember) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.SetText(res::IDC_HIGH, "30");
  w.SetText(res::IDC_WIDE, "abc");
  w.SetText(res::IDC_FRAME_RATE, "50");
  w.SetText(res::IDC_NAME, "name");
  d.UpdateData(true);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("请输入一个整数。")});
  EXPECT_EQ(d.doc().m_nHigh, 30);
  EXPECT_EQ(d.doc().m_nWide, 80);
  EXPECT_EQ(d.doc().m_nFrameRate, 24);
  EXPECT_EQ(d.doc().m_strName, Gbk("无题"));
  EXPECT_EQ(d.focusWidget(), d.Control(res::IDC_WIDE));
}

TEST(DataExchange, RangesOfEveryValidatedField) {
  struct Case {
    int id;
    const char* text;
    const char* message;  // empty: accepted
  } cases[] = {
      {res::IDC_HIGH, "10", ""},
      {res::IDC_HIGH, "9", "请输入一个介于 10 和 100 之间的整数。"},
      {res::IDC_WIDE, "100", ""},
      {res::IDC_WIDE, "101", "请输入一个介于 10 和 100 之间的整数。"},
      {res::IDC_FRAME_RATE, "1", ""},
      {res::IDC_FRAME_RATE, "0", "请输入一个介于 1 和 100 之间的整数。"},
      {res::IDC_FRAME_RATE, "-5", "请输入一个介于 1 和 100 之间的整数。"},
      {res::IDC_DELAY, "1000", ""},
      {res::IDC_DELAY, "1001", "请输入一个介于 0 和 1000 之间的整数。"},
      {res::IDC_HIGH, " 42 ", ""},
      {res::IDC_HIGH, "", "请输入一个整数。"},
      {res::IDC_HIGH, "4 2", "请输入一个整数。"},
      {res::IDC_HIGH, "99999999999", "请输入一个整数。"},
  };
  for (const Case& c : cases) {
    Hooks hooks;
    MainWindow w(hooks);
    w.SetText(c.id, QString::fromUtf8(c.text));
    w.dlg().UpdateData(true);
    const QStringList expected =
        *c.message ? QStringList{QString::fromUtf8(c.message)} : QStringList{};
    EXPECT_EQ(hooks.messages, expected) << c.id << " '" << c.text << "'";
  }
}

// The canvas takes in only what a frame can hold: a character GBK cannot
// hold is refused as it is typed, named in the canvas's line, with no box.
TEST(DataExchange, TextGbkCannotHoldIsRefusedAsItIsTyped) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.CreateWithFrames({});
  hooks.messages.clear();
  ui::CharCanvas* canvas = d.EditCanvas();
  canvas->setFocus();
  QTest::keyClicks(canvas, "smile ");
  // The rest comes from an input method, as Chinese text does.
  QInputMethodEvent commit;
  commit.setCommitString(QString::fromUtf8("😀 中"));
  QApplication::sendEvent(canvas, &commit);
  EXPECT_TRUE(hooks.messages.isEmpty());
  EXPECT_TRUE(canvas->Readout().contains(QString::fromUtf8("😀")));
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), QString::fromUtf8("smile  中"));
  w.Key(res::IDC_EDIT_AREA, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(d.doc().TextAt(0), Gbk("smile  中"));
  EXPECT_TRUE(hooks.messages.isEmpty());
}

TEST(DataExchange, ABadNameLeavesThePictureTypedAfterItAlone) {
  Hooks hooks;
  MainWindow w(hooks);
  w.PretendCreated();
  w.SetText(res::IDC_NAME, QString::fromUtf8("猫😺"));
  w.SetText(res::IDC_EDIT_AREA, "a picture");
  w.SetText(res::IDC_HIGH, "30");
  w.Key(res::IDC_EDIT_AREA, Qt::Key_S, Qt::ControlModifier);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "a picture");
  EXPECT_EQ(w.Text(res::IDC_NAME), QString::fromUtf8("猫😺"));
  EXPECT_EQ(w.dlg().doc().m_nHigh, 30);  // fields before the bad one were taken
  w.SetText(res::IDC_NAME, QString::fromUtf8("猫"));
  w.Key(res::IDC_EDIT_AREA, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(hooks.messages.size(), 1);
  EXPECT_EQ(w.dlg().doc().m_animation.m_frames.Head().Text(), "a picture");
}

TEST(Refresh, PreviewFollowsTheSettingReadAtStart) {
  struct Case {
    const char* settings;  // null: no settings file
    bool follows;
  } cases[] = {
      {nullptr, true},
      {"[Frame]\r\nNewFrame=1\r\n", true},
      {"[Frame]\r\nNewFrame=0\r\n", false},
      {"[Frame]\nNewFrame=2\n", false},
      {"[Other]\r\nNewFrame=0\r\n", true},
  };
  for (const Case& c : cases) {
    Hooks hooks;
    MainWindow w(hooks, [&](const std::filesystem::path& tool) {
      if (c.settings) testsupport::WriteFile(tool / "data" / "Settings.ini", c.settings);
    });
    CZoetrixDlg& d = w.dlg();
    w.PretendCreated();
    w.SetText(res::IDC_EDIT_AREA, "one");
    w.Click(res::IDC_APPEND_BLANK);
    d.doc().m_strPreviewText = "earlier";
    ui::ZDialog::SetControlText(d.Control(res::IDC_PREVIEW_AREA), "earlier");
    w.SetText(res::IDC_EDIT_AREA, "two");
    w.Click(res::IDC_APPEND_BLANK);
    const std::string label = c.settings ? c.settings : "absent";
    if (c.follows) {
      EXPECT_EQ(d.m_comboPreview->currentIndex(), 0) << label;
      EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "two") << label;
    } else {
      EXPECT_EQ(d.m_comboPreview->currentIndex(), -1) << label;
      EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "earlier") << label;
    }
  }
}

TEST(Refresh, DurationFigures) {
  struct Case {
    int frames, rate;
    const char* duration;
  } cases[] = {{3, 1, "3.000000"}, {12, 24, "0.500000"}, {24, 24, "1.000000"}, {5, 0, "---"}};
  for (const Case& c : cases) {
    Hooks hooks;
    MainWindow w(hooks);
    CZoetrixDlg& d = w.dlg();
    w.PretendCreated(c.rate);
    for (int i = 0; i < c.frames; ++i) w.Click(res::IDC_APPEND_BLANK);
    EXPECT_EQ(w.Text(res::IDC_DURATION), QString::fromUtf8(c.duration))
        << c.frames << "@" << c.rate;
    EXPECT_EQ(w.Text(res::IDC_FRAME_TOTAL), QString::number(c.frames));
    EXPECT_EQ(d.m_comboPreview->count(), c.frames);
  }
}

TEST(Refresh, ManyFramesFillTheSelectorsAtOnce) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.PretendCreated(24);
  const FrameText picture = MakeFrameText(std::string(80, '#'));
  for (int i = 0; i < 70000; ++i) d.doc().m_animation.m_frames.Append(picture);
  d.RefreshFrameControls();
  EXPECT_EQ(d.m_comboEdit->count(), 70000);
  EXPECT_EQ(d.m_comboEdit->currentText(), QString::fromUtf8("第70000帧"));
  EXPECT_EQ(d.m_comboPreview->currentText(), QString::fromUtf8("第69999帧"));
  // The progress range is not cut to 16 bits.
  EXPECT_EQ(d.m_progress->maximum(), 69999);
  EXPECT_EQ(d.m_slider->maximum(), 69998);
}

// The refused field and the fields typed after it stay as typed; what only
// shows members (frame total, duration, preview) follows them still.
TEST(DataExchange, ARefusedNameLeavesTheTotalsAndPreviewFollowingTheFrames) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(3, 1);
  const QString bad = QString::fromUtf8("猫😺");
  w.SetText(res::IDC_NAME, bad);
  hooks.messages.clear();
  w.Click(res::IDC_APPEND_BLANK);
  EXPECT_EQ(hooks.messages.size(), 1);
  EXPECT_EQ(d.doc().FrameCount(), 4);
  EXPECT_EQ(w.Text(res::IDC_FRAME_TOTAL), "4");
  EXPECT_EQ(w.Text(res::IDC_DURATION), "4.000000");
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "3");
  EXPECT_EQ(w.Text(res::IDC_NAME), bad);
  for (int i = 0; i < 23; ++i) w.Click(res::IDC_APPEND_BLANK);
  EXPECT_EQ(w.Text(res::IDC_FRAME_TOTAL), "27");
  EXPECT_EQ(w.Text(res::IDC_NAME), bad);
}

// The edit boxes remember the bytes they stand for: unchanged text is not
// converted again, and any change of the text is read afresh.
// A frame nobody touches goes through the canvas byte for byte, whatever it
// holds; a touched one is written from its cells.
TEST(DataExchange, AnUntouchedFrameComesBackByteForByte) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  const std::string odd = "a\nb\r\n\tc\rx \x80\xFF\x81\r\n\r\n  ";
  for (const std::string& text : {Gbk("第一行\r\n第二行"), odd, std::string()}) {
    d.doc().m_strEditText = text;
    d.UpdateData(false);
    d.doc().m_strEditText = "other";
    d.UpdateData(true);
    EXPECT_EQ(d.doc().m_strEditText, text);
  }
  // Typing into the first row rewrites that row only.
  d.doc().m_strEditText = odd;
  d.UpdateData(false);
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Z);
  d.UpdateData(true);
  EXPECT_EQ(d.doc().m_strEditText, "z\nb\r\n\tc\rx \x80\xFF\x81\r\n\r\n  ");
  EXPECT_TRUE(hooks.messages.isEmpty());
}

// Appending copies of the picture being drawn: key frame, a second, half a
// second, a delay.
#include <gtest/gtest.h>
#include <QComboBox>

#include "res/ControlIds.h"
#include "tests/GuiTestSupport.h"

using namespace guitest;

// The picture being drawn goes into the frame the edit area shows, and its
// copy follows the last frame, which keeps its own picture.
TEST(Bulk, KeyFrameStoresIntoTheShownFrameAndCopiesThePictureToTheEnd) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeDrawnFrames(10);
  w.SetText(res::IDC_EDIT_AREA, "last");
  w.SetText(res::IDC_EDIT_FRAME, "3");
  w.Click(res::IDC_EDIT_GO);
  ASSERT_EQ(w.Text(res::IDC_EDIT_AREA), "f3");
  w.SetText(res::IDC_EDIT_AREA, "key");
  w.Key(res::IDC_EDIT_AREA, Qt::Key_E, Qt::ControlModifier);
  ASSERT_EQ(d.doc().FrameCount(), 11);
  EXPECT_EQ(d.doc().m_animation.m_frames.At(2)->Text(), "key");
  EXPECT_EQ(d.doc().m_animation.m_frames.At(9)->Text(), "last");
  EXPECT_EQ(d.doc().m_animation.m_frames.At(10)->Text(), "key");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "key");  // the edit area goes on with the new last frame
  EXPECT_EQ(d.m_comboEdit->currentIndex(), 10);
  // Saving into one copy leaves the other alone.
  w.SetText(res::IDC_EDIT_AREA, "changed");
  w.Key(res::IDC_EDIT_AREA, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(d.doc().m_animation.m_frames.At(10)->Text(), "changed");
  EXPECT_EQ(d.doc().m_animation.m_frames.At(2)->Text(), "key");
}

TEST(Bulk, CountsFollowTheRateAndTheDelay) {
  struct Case {
    int rate, key, mods, delay, added;
  } cases[] = {
      {24, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier, 0, 24},
      {24, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, 0, 12},
      {25, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, 0, 12},
      {1, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, 0, 0},
      {24, Qt::Key_D, Qt::ControlModifier, 2, 48},
      {24, Qt::Key_D, Qt::ControlModifier, 0, 0},
  };
  for (const Case& c : cases) {
    Hooks hooks;
    MainWindow w(hooks);
    w.SetText(res::IDC_FRAME_RATE, QString::number(c.rate));
    w.Click(res::IDC_CREATE);
    w.SetText(res::IDC_DELAY, QString::number(c.delay));
    hooks.messages.clear();
    w.SetText(res::IDC_EDIT_AREA, "hold");
    w.Key(res::IDC_EDIT_AREA, c.key, Qt::KeyboardModifiers(c.mods));
    EXPECT_EQ(w.dlg().doc().FrameCount(), 1 + c.added) << c.rate << "/" << c.key << "/" << c.delay;
    EXPECT_TRUE(hooks.messages.isEmpty());
    EXPECT_EQ(w.Text(res::IDC_FRAME_TOTAL), QString::number(1 + c.added));
    if (c.key == Qt::Key_D) {
      EXPECT_EQ(w.Text(res::IDC_STATUS), QString::fromUtf8("创建完成。"));
    }
    if (c.added) {
      EXPECT_EQ(w.dlg().doc().m_animation.m_frames.Last().Text(), "hold");
    }
  }
}

TEST(Bulk, EveryCommandNeedsAnAnimationAndTheLimitHolds) {
  Hooks hooks;
  MainWindow w(hooks);
  for (int id : {res::IDC_ADD_KEY_FRAME, res::IDC_FILL_SECOND, res::IDC_FILL_HALF_SECOND,
                 res::IDC_ADD_DELAY})
    w.Click(id);
  EXPECT_EQ(hooks.messages.size(), 4);
  for (const QString& m : hooks.messages)
    EXPECT_EQ(m, QString::fromUtf8("还没有创建动画！请先创建动画！"));
  EXPECT_EQ(w.Text(res::IDC_FRAME_TOTAL), "---");

  // A delay that would pass the frame limit adds nothing and says so (the
  // limit itself is the document's: see AppendRule).
  w.SetText(res::IDC_FRAME_RATE, "100");
  w.Click(res::IDC_CREATE);
  CZoetrixDlg& d = w.dlg();
  hooks.messages.clear();
  w.SetText(res::IDC_DELAY, "1000");
  d.doc().m_animation.m_nRate = 100000;  // the fields cannot reach the limit; the rate can
  w.Click(res::IDC_ADD_DELAY);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_TRUE(hooks.messages[0].contains("1000000"));
  EXPECT_EQ(d.doc().FrameCount(), 1);
}

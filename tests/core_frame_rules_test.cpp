// The frame rules of the document, without a window: creating, the edit
// area's text, appending, deleting, and which frame exists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/AnimationDocument.h"

using document::AnimationDocument;
using document::AnimationPaths;
using document::kMaxFrames;
using document::MakeFrameText;

namespace {

std::string Texts(const AnimationDocument& doc) {
  std::string all;
  for (int i = 0; i < doc.FrameCount(); ++i) all += doc.m_animation.m_frames.At(i)->Text() + " ";
  return all;
}

// Makes doc a created animation whose frames read "1" ... "n".
void Number(AnimationDocument& doc, int n) {
  doc.m_bCreated = 1;
  doc.m_animation.m_nRate = 24;
  doc.m_animation.m_frames.Clear();
  for (int i = 1; i <= n; ++i) doc.m_animation.m_frames.Append(MakeFrameText(std::to_string(i)));
}

}  // namespace

// ------------------------------------------------------------------ creating

TEST(CreateRule, CanvasFromElevenAndRateWithinItsLimits) {
  struct Case {
    int wide, high, rate;
    bool ok;
  } cases[] = {
      {80, 25, 24, true},   {11, 11, 1, true},   {100, 100, 100, true},
      {10, 25, 24, false},  {80, 10, 24, false}, {101, 25, 24, false},
      {80, 101, 24, false}, {80, 25, 0, false},  {80, 25, 101, false},
  };
  for (const Case& c : cases) {
    AnimationDocument doc;
    doc.m_nWide = c.wide;
    doc.m_nHigh = c.high;
    doc.m_nFrameRate = c.rate;
    EXPECT_EQ(doc.CreationValuesInRange(), c.ok) << c.wide << "x" << c.high << "@" << c.rate;
  }
}

TEST(CreateRule, TheFieldsBecomeTheAnimationAndFramesCarryOverUnlessOverwriting) {
  AnimationDocument doc;
  Number(doc, 3);
  doc.m_strName = "new";
  doc.m_nWide = 40;
  doc.m_nHigh = 12;
  doc.m_nFrameRate = 10;
  doc.m_animation.m_frames.Head().pText = MakeFrameText("head");
  const AnimationPaths paths{"p.ini", "a.exe", "b.exe", "c.c"};
  const platform::LocalTime when{2024, 2, 3, 4, 5, 6};
  doc.TakeCreation(paths, when, 1, 14, "1E");
  EXPECT_EQ(doc.m_bCreated, 1);
  EXPECT_EQ(doc.m_animation.m_strAnimName + doc.m_animation.m_strColor, "new1E");
  EXPECT_EQ(doc.m_animation.m_nAnimWide * 1000 + doc.m_animation.m_nAnimHigh, 40012);
  EXPECT_EQ(doc.m_animation.m_nRate, 10);
  EXPECT_EQ(doc.m_nBackColor * 100 + doc.m_nCharColor, 114);
  EXPECT_EQ(doc.m_export.m_strProjectPath + doc.m_export.m_strExePath +
                doc.m_export.m_strBuildPath + doc.m_export.m_strCodePath,
            "p.inia.exeb.exec.c");
  EXPECT_EQ(doc.m_export.m_createdAt.second, 6);
  EXPECT_EQ(Texts(doc), "1 2 3 ");  // taking the properties leaves the frames
  EXPECT_EQ(doc.m_animation.m_frames.Head().Text(), "head");

  doc.m_bOverwrite = 0;
  EXPECT_FALSE(doc.CreationRestartsFrames(true));  // carried over
  EXPECT_TRUE(doc.CreationRestartsFrames(false));  // nothing to carry
  doc.m_bOverwrite = 1;
  EXPECT_TRUE(doc.CreationRestartsFrames(true));
  doc.RestartFrames();
  EXPECT_EQ(doc.FrameCount(), 0);
  // The restart's first append stores the edit area into the head.
  EXPECT_TRUE(doc.AppendBlankFrame("typed", 4));
  EXPECT_EQ(doc.m_animation.m_frames.Head().Text(), "typed");
  EXPECT_EQ(Texts(doc), " ");
}

// ------------------------------------------------------ the edit area's text

TEST(EditTextRule, CtrlSStoresIntoTheSelectedFrameOnlyWithAnAnimation) {
  AnimationDocument doc;
  Number(doc, 5);
  doc.StoreEditText(1, "two");
  doc.StoreEditText(9, "nowhere");  // past the end: nothing
  EXPECT_EQ(Texts(doc), "1 two 3 4 5 ");
  doc.m_bCreated = 0;
  doc.StoreEditText(2, "three");
  EXPECT_EQ(Texts(doc), "1 two 3 4 5 ");
}

TEST(EditTextRule, MovingTheEditAreaKeepsWhatWasTypedWithoutCopyingAnUnchangedText) {
  AnimationDocument doc;
  Number(doc, 3);
  const std::string* before = doc.m_animation.m_frames.At(1)->pText.get();
  doc.KeepEditText(1, "2");  // unchanged: the frame keeps its own text
  EXPECT_EQ(doc.m_animation.m_frames.At(1)->pText.get(), before);
  doc.KeepEditText(1, "typed");
  doc.KeepEditText(-1, "shown nowhere");
  EXPECT_EQ(Texts(doc), "1 typed 3 ");
  EXPECT_EQ(doc.m_animation.m_frames.Head().Text(), "");
}

TEST(EditTextRule, TextAtSelectorPositions) {
  AnimationDocument doc;
  Number(doc, 2);
  doc.m_animation.m_frames.Head().pText = MakeFrameText("head");
  EXPECT_EQ(doc.TextAt(-1), "head");
  EXPECT_EQ(doc.TextAt(1), "2");
  EXPECT_EQ(doc.TextAt(2), "");
  EXPECT_FALSE(doc.HasFrame(0));
  EXPECT_TRUE(doc.HasFrame(1));
  EXPECT_TRUE(doc.HasFrame(2));
  EXPECT_FALSE(doc.HasFrame(3));
  EXPECT_FALSE(AnimationDocument().HasFrame(1));
}

// ------------------------------------------------------------------ appending

TEST(AppendRule, CopiesFollowTheRateAndTheDelay) {
  AnimationDocument doc;
  struct Case {
    int rate, delay, second, half, delayCopies;
  } cases[] = {
      {24, 2, 24, 12, 48}, {25, 0, 25, 12, 0},           {1, 3, 1, 0, 3},
      {0, 5, 0, 0, 0},     {100, 1000, 100, 50, 100000},
  };
  for (const Case& c : cases) {
    doc.m_animation.m_nRate = c.rate;
    doc.m_nDelay = c.delay;
    EXPECT_EQ(doc.CopiesForSecond(), c.second) << c.rate;
    EXPECT_EQ(doc.CopiesForHalfSecond(), c.half) << c.rate;
    EXPECT_EQ(doc.CopiesForDelay(), c.delayCopies) << c.rate << "/" << c.delay;
  }
  // A delay past the limit asks for one frame too many, so it is refused
  // instead of being cut short.
  doc.m_animation.m_nRate = 100000;
  doc.m_nDelay = 1000;
  EXPECT_EQ(doc.CopiesForDelay(), kMaxFrames + 1);
}

TEST(AppendRule, KeyFrameOnAnEmptyListFillsTheHeadAndFrameOne) {
  AnimationDocument doc;
  Number(doc, 3);
  doc.m_animation.m_frames.Clear();
  ASSERT_TRUE(doc.AppendCopiesOfLast("again", 1, 2));
  ASSERT_EQ(doc.FrameCount(), 1);
  EXPECT_EQ(doc.m_animation.m_frames.Head().Text(), "again");
  EXPECT_EQ(doc.m_animation.m_frames.At(0)->Text(), "again");
  EXPECT_EQ(doc.m_animation.m_frames.At(1), nullptr);
}

// The limit is exactly kMaxFrames: the last frame that fits is taken, the
// one after it refused, by every kind of append.
TEST(AppendRule, TheFrameLimitIsExactlyOneMillion) {
  ASSERT_EQ(kMaxFrames, 1000000);
  AnimationDocument doc;
  doc.m_bCreated = 1;
  ASSERT_TRUE(doc.AppendCopiesOfLast("x", kMaxFrames - 1));
  EXPECT_FALSE(doc.AtFrameLimit());
  EXPECT_FALSE(doc.AppendCopiesOfLast("x", 2));  // one past the limit
  EXPECT_EQ(doc.FrameCount(), kMaxFrames - 1);
  ASSERT_TRUE(doc.AppendCopiesOfLast("x", 1));  // the millionth as a copy
  EXPECT_EQ(doc.FrameCount(), kMaxFrames);
  EXPECT_TRUE(doc.AtFrameLimit());
  doc.EraseLastFrame();
  ASSERT_TRUE(doc.AppendBlankFrame("x"));  // and as a blank frame
  EXPECT_EQ(doc.FrameCount(), kMaxFrames);
  EXPECT_TRUE(doc.AtFrameLimit());
  EXPECT_FALSE(doc.AppendBlankFrame("y"));
  EXPECT_FALSE(doc.AppendCopiesOfLast("y", 1));
  EXPECT_EQ(doc.FrameCount(), kMaxFrames);
  EXPECT_EQ(doc.m_animation.m_frames.Last().Text(), "");  // the refusals stored nothing
  // Nothing to add is no refusal: the picture is stored all the same.
  EXPECT_TRUE(doc.AppendCopiesOfLast("y", 0));
  EXPECT_EQ(doc.m_animation.m_frames.Last().Text(), "y");
}

// ------------------------------------------------------------------ deleting

TEST(DeleteRule, FromTheEndARangeOrOneFrameAndTheEditAreaShowsTheLast) {
  struct Case {
    const char* what;
    void (*erase)(AnimationDocument&);
    const char* left;
    const char* editText;
  } cases[] = {
      {"last 3", [](AnimationDocument& d) { d.EraseLastFrames(3); }, "1 2 3 4 5 6 7 ", "7"},
      {"last 10", [](AnimationDocument& d) { d.EraseLastFrames(10); }, "", "typed"},
      {"between 3 and 7", [](AnimationDocument& d) { d.EraseBetween(3, 7); }, "1 2 3 7 8 9 10 ",
       "10"},
      {"between 7 and 3", [](AnimationDocument& d) { d.EraseBetween(7, 3); }, "1 2 3 7 8 9 10 ",
       "10"},
      {"frame 10", [](AnimationDocument& d) { d.EraseFrameNumber(10); }, "1 2 3 4 5 6 7 8 9 ", "9"},
      {"frame 1", [](AnimationDocument& d) { d.EraseFrameNumber(1); }, "2 3 4 5 6 7 8 9 10 ", "10"},
      {"the last", [](AnimationDocument& d) { d.EraseLastFrame(); }, "1 2 3 4 5 6 7 8 9 ", "9"},
  };
  for (const Case& c : cases) {
    AnimationDocument doc;
    Number(doc, 10);
    doc.m_strEditText = "typed";
    c.erase(doc);
    EXPECT_EQ(Texts(doc), c.left) << c.what;
    // With frames left, the next append stores into the last one, so the
    // edit area must hold its picture; with none it keeps what it held.
    EXPECT_EQ(doc.m_strEditText, c.editText) << c.what;
    EXPECT_EQ(doc.CanDeleteLastFrame(), doc.FrameCount() > 1) << c.what;
  }
}

TEST(DeleteRule, TheOnlyFrameStays) {
  AnimationDocument doc;
  Number(doc, 2);
  EXPECT_TRUE(doc.CanDeleteLastFrame());
  doc.EraseLastFrame();
  EXPECT_FALSE(doc.CanDeleteLastFrame());
  EXPECT_EQ(doc.m_strEditText, "1");
}

// ------------------------------------------------------------------- opening

TEST(OpenRule, TheLastFrameIsTheOneBeingEdited) {
  AnimationDocument doc;
  doc.m_strEditText = "kept";
  doc.EditLastFrame();  // no frames: the edit area keeps its text
  EXPECT_EQ(doc.m_strEditText, "kept");
  Number(doc, 4);
  doc.EditLastFrame();
  EXPECT_EQ(doc.m_strEditText, "4");
}

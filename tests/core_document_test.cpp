// The animation document without the window: the frame list,
// appending blank frames, the figures the frame controls show, the preview
// setting and the colour list.
#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/ColorTable.h"
#include "document/FrameList.h"
#include "document/Refresh.h"
#include "tests/TestSupport.h"

using document::AnimationDocument;
using document::ColorDigit;
using document::ComputeRefresh;
using document::EmptyFrameText;
using document::FormatDuration;
using document::FrameList;
using document::FrameNode;
using document::FrameText;
using document::g_colorTable;
using document::kColorCount;
using document::MakeFrameText;
using document::RefreshFigures;

namespace {

// The list's views must agree: At(0), At(1), ... are the frames in the
// order iteration gives them, At(Size()) is null, Last() is the last frame
// (the head when there is none) and negative positions give the head.
::testing::AssertionResult ListConsistent(FrameList& list) {
  auto fail = [] { return ::testing::AssertionFailure(); };
  if (list.At(-1) != &list.Head()) return fail() << "At(-1) is not the head";
  if (list.Empty() != (list.Size() == 0)) return fail() << "Empty() disagrees with Size()";
  std::size_t i = 0;
  for (const FrameNode& node : list) {
    if (list.At(static_cast<int>(i)) != &node) return fail() << "At(" << i << ") is off the order";
    ++i;
  }
  if (i != list.Size()) return fail() << "iteration meets " << i << " of " << list.Size();
  if (list.At(static_cast<int>(i))) return fail() << "At(Size()) is not null";
  const FrameNode* last = i ? list.At(static_cast<int>(i - 1)) : &list.Head();
  if (&list.Last() != last) return fail() << "Last() is not the last frame";
  return ::testing::AssertionSuccess();
}

// The texts of all frames, in order.
std::vector<std::string> Texts(const FrameList& list) {
  std::vector<std::string> out;
  for (const FrameNode& node : list) out.push_back(node.Text());
  return out;
}

// "f<i>", the text of frame i in the lists below.
std::string Label(int i) {
  std::string s = std::to_string(i);
  s.insert(s.begin(), 'f');
  return s;
}

// A list of frames with texts "f1".."fn".
void Fill(FrameList& list, int n) {
  for (int i = 1; i <= n; ++i) list.Append(MakeFrameText(Label(i)));
}

// ---------------------------------------------------------------- FrameList

TEST(FrameList, LookupOnEmptyAndFilledChains) {
  FrameList list;
  EXPECT_TRUE(ListConsistent(list));
  EXPECT_EQ(list.At(-1), &list.Head());
  EXPECT_EQ(list.At(INT_MIN), &list.Head());
  EXPECT_EQ(list.At(0), nullptr);
  EXPECT_EQ(&list.Last(), &list.Head());
  EXPECT_EQ(list.Head().pText, nullptr);
  EXPECT_EQ(list.Head().Text(), "");

  Fill(list, 3);
  ASSERT_TRUE(ListConsistent(list));
  EXPECT_EQ(list.At(0)->Text(), "f1");
  EXPECT_EQ(list.At(2)->Text(), "f3");
  EXPECT_EQ(list.At(2), &list.Last());
  EXPECT_EQ(list.At(3), nullptr);
  EXPECT_EQ(list.At(INT_MAX), nullptr);
  EXPECT_EQ(list.At(-7), &list.Head());

  const FrameList& view = list;
  EXPECT_EQ(view.At(1), list.At(1));
  EXPECT_EQ(view.At(3), nullptr);
}

TEST(FrameList, AppendAddsAtTheEnd) {
  FrameList list;
  FrameNode& first = list.Append();
  EXPECT_EQ(list.At(0), &first);
  EXPECT_EQ(first.pText, EmptyFrameText());
  EXPECT_EQ(first.Text(), "");

  for (int i = 2; i <= 50; ++i) {
    FrameNode& node = list.Append(MakeFrameText(Label(i)));
    EXPECT_EQ(&node, &list.Last());
  }
  ASSERT_TRUE(ListConsistent(list));
  EXPECT_EQ(list.Size(), 50u);
  EXPECT_EQ(Texts(list).front(), "");
  EXPECT_EQ(Texts(list).back(), "f50");
  // The head is not a frame: its text slot stays untouched by appends.
  EXPECT_EQ(list.Head().pText, nullptr);
}

TEST(FrameList, ClearKeepsHeadTextAndAllowsNewFrames) {
  FrameList list;
  list.Head().pText = MakeFrameText("edit");
  Fill(list, 4);
  list.Clear();
  ASSERT_TRUE(ListConsistent(list));
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.At(0), nullptr);
  EXPECT_EQ(list.Head().Text(), "edit");

  list.Append(MakeFrameText("g1"));
  EXPECT_TRUE(ListConsistent(list));
  EXPECT_EQ(Texts(list), std::vector<std::string>{"g1"});
}

struct EraseCase {
  const char* name;
  std::size_t first;
  std::size_t count;
  std::vector<std::string> left;
};

TEST(FrameList, EraseRangesLeaveTheOthersInOrder) {
  const EraseCase cases[] = {
      {"first two", 0, 2, {"f3", "f4", "f5"}},
      {"first one", 0, 1, {"f2", "f3", "f4", "f5"}},
      {"middle", 1, 3, {"f1", "f5"}},
      {"one in the middle", 2, 1, {"f1", "f2", "f4", "f5"}},
      {"last two", 3, 2, {"f1", "f2", "f3"}},
      {"last one", 4, 1, {"f1", "f2", "f3", "f4"}},
      {"all", 0, 5, {}},
      {"count past the end", 3, 100, {"f1", "f2", "f3"}},
      {"largest count", 1, SIZE_MAX, {"f1"}},
      {"count zero", 2, 0, {"f1", "f2", "f3", "f4", "f5"}},
      {"first at the end", 5, 1, {"f1", "f2", "f3", "f4", "f5"}},
      {"first far past the end", 1000, 3, {"f1", "f2", "f3", "f4", "f5"}},
  };
  for (const EraseCase& c : cases) {
    SCOPED_TRACE(c.name);
    FrameList list;
    list.Head().pText = MakeFrameText("head");
    Fill(list, 5);
    list.Erase(c.first, c.count);
    ASSERT_TRUE(ListConsistent(list));
    EXPECT_EQ(Texts(list), c.left);
    EXPECT_EQ(list.Head().Text(), "head");

    // The list must also take new frames at its new end.
    list.Append(MakeFrameText("new"));
    ASSERT_TRUE(ListConsistent(list));
    EXPECT_EQ(list.Last().Text(), "new");
    EXPECT_EQ(list.Size(), c.left.size() + 1);
  }
}

TEST(FrameList, RepeatedErasesAndAppendsStayConsistent) {
  FrameList list;
  Fill(list, 40);
  list.Erase(10, 5);
  list.Erase(0, 3);
  Fill(list, 7);
  list.Erase(list.Size() - 2, 2);
  list.Erase(20, 1);
  ASSERT_TRUE(ListConsistent(list));
  EXPECT_EQ(list.Size(), 36u);
  EXPECT_EQ(list.At(0)->Text(), "f4");
  EXPECT_EQ(list.At(6)->Text(), "f10");
  EXPECT_EQ(list.At(7)->Text(), "f16");
  EXPECT_EQ(list.Last().Text(), "f5");
}

TEST(FrameList, CopiedTextIsSharedAndReplacingOneLeavesTheOther) {
  const std::string picture = "ab\r\ncd\r\n";
  FrameText text = MakeFrameText(picture);
  FrameList list;
  list.Append(text);
  list.Append(text);
  list.Append(list.At(0)->pText);
  EXPECT_EQ(list.At(0)->pText.get(), text.get());
  EXPECT_EQ(list.At(1)->pText.get(), text.get());
  EXPECT_EQ(list.At(2)->pText.get(), text.get());
  EXPECT_EQ(text.use_count(), 4);

  list.At(1)->pText = MakeFrameText("other");
  EXPECT_EQ(list.At(0)->Text(), picture);
  EXPECT_EQ(list.At(1)->Text(), "other");
  EXPECT_EQ(list.At(2)->Text(), picture);
  EXPECT_EQ(*text, picture);
  EXPECT_EQ(text.use_count(), 3);

  // Erasing frames gives up their share and nothing else.
  list.Erase(0, 1);
  EXPECT_EQ(text.use_count(), 2);
  EXPECT_EQ(list.At(1)->Text(), picture);
  // Every empty text is the one shared instance.
  EXPECT_EQ(MakeFrameText("").get(), EmptyFrameText().get());
}

// Inserting at every position of a list of five: the new frames stand
// where asked, the others keep their order around them.
TEST(FrameList, InsertAtAnyPositionKeepsTheOthersInOrder) {
  for (std::size_t at = 0; at <= 6; ++at) {
    SCOPED_TRACE(at);
    FrameList list;
    Fill(list, 5);
    const FrameText x = MakeFrameText("x");
    list.Insert(at, x, 2);
    ASSERT_TRUE(ListConsistent(list));
    std::vector<std::string> want = {"f1", "f2", "f3", "f4", "f5"};
    const std::size_t where = std::min<std::size_t>(at, 5);  // past the end: at the end
    want.insert(want.begin() + static_cast<std::ptrdiff_t>(where), 2, "x");
    EXPECT_EQ(Texts(list), want);
    EXPECT_EQ(list.At(static_cast<int>(where))->pText, x);  // shared, not copied

    const std::vector<FrameText> texts = {MakeFrameText("p"), MakeFrameText("q")};
    list.Insert(0, texts);
    want.insert(want.begin(), {"p", "q"});
    EXPECT_EQ(Texts(list), want);
    EXPECT_EQ(list.At(1)->pText, texts[1]);
  }
  FrameList empty;
  empty.Insert(0, std::vector<FrameText>{});
  empty.Insert(3, MakeFrameText("a"), 0);
  EXPECT_TRUE(empty.Empty());
}

struct MoveCase {
  const char* name;
  std::size_t first, count, to;
  std::vector<std::string> after;  // empty: refused, the list unchanged
};

TEST(FrameList, MoveABlockAnywhere) {
  const MoveCase cases[] = {
      {"one frame to the front", 3, 1, 0, {"f4", "f1", "f2", "f3", "f5"}},
      {"one frame to the end", 0, 1, 4, {"f2", "f3", "f4", "f5", "f1"}},
      {"one place later", 1, 1, 2, {"f1", "f3", "f2", "f4", "f5"}},
      {"one place earlier", 2, 1, 1, {"f1", "f3", "f2", "f4", "f5"}},
      {"a block forward", 0, 2, 3, {"f3", "f4", "f5", "f1", "f2"}},
      {"a block back", 3, 2, 1, {"f1", "f4", "f5", "f2", "f3"}},
      {"to where it is", 1, 3, 1, {"f1", "f2", "f3", "f4", "f5"}},
      {"the whole list", 0, 5, 0, {"f1", "f2", "f3", "f4", "f5"}},
      {"nothing", 2, 0, 4, {"f1", "f2", "f3", "f4", "f5"}},
      {"target past the end", 0, 2, 4, {}},
      {"block past the end", 4, 2, 0, {}},
      {"first past the end", 6, 0, 0, {}},
  };
  for (const MoveCase& c : cases) {
    SCOPED_TRACE(c.name);
    FrameList list;
    Fill(list, 5);
    const bool moved = list.Move(c.first, c.count, c.to);
    ASSERT_TRUE(ListConsistent(list));
    EXPECT_EQ(moved, !c.after.empty());
    if (moved)
      EXPECT_EQ(Texts(list), c.after);
    else
      EXPECT_EQ(Texts(list), (std::vector<std::string>{"f1", "f2", "f3", "f4", "f5"}));
  }
}

// A copy of the list is a value of its own: changing either leaves the
// other as it was, while the pictures stay shared.
TEST(FrameList, ACopyIsIndependentButSharesThePictures) {
  FrameList list;
  list.Head().pText = MakeFrameText("head");
  Fill(list, 4);
  FrameList copy = list;
  ASSERT_TRUE(ListConsistent(copy));
  EXPECT_EQ(Texts(copy), Texts(list));
  EXPECT_EQ(copy.Head().Text(), "head");
  EXPECT_EQ(copy.At(2)->pText, list.At(2)->pText);

  copy.At(0)->pText = MakeFrameText("changed");
  copy.Erase(1, 1);
  copy.Move(0, 1, 2);
  list.Append(MakeFrameText("f5"));
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"f1", "f2", "f3", "f4", "f5"}));
  EXPECT_EQ(Texts(copy), (std::vector<std::string>{"f3", "f4", "changed"}));

  const std::vector<FrameText> taken = list.Texts(3, 10);
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0], list.At(3)->pText);
  EXPECT_TRUE(list.Texts(9, 1).empty());
}

// ------------------------------------------------------- AnimationDocument

TEST(AnimationDocument, AppendBlankFrameFillsLastFrameThenAddsAnEmptyOne) {
  AnimationDocument doc;
  doc.AppendBlankFrame("first");
  ASSERT_TRUE(ListConsistent(doc.m_animation.m_frames));
  EXPECT_EQ(doc.m_animation.m_frames.Head().Text(), "first");
  EXPECT_EQ(doc.m_animation.m_frames.Size(), 1u);
  EXPECT_EQ(doc.FrameCount(), 1);
  EXPECT_EQ(doc.m_animation.m_frames.Last().Text(), "");

  doc.AppendBlankFrame("second\r\nline");
  doc.AppendBlankFrame("");
  ASSERT_TRUE(ListConsistent(doc.m_animation.m_frames));
  EXPECT_EQ(doc.FrameCount(), 3);
  EXPECT_EQ(doc.m_animation.m_frames.Size(), 3u);
  EXPECT_EQ(doc.m_animation.m_frames.Head().Text(), "first");
  EXPECT_EQ(Texts(doc.m_animation.m_frames), (std::vector<std::string>{"second\r\nline", "", ""}));
}

// ---------------------------------------------------------------- Refresh

TEST(Refresh, FormatDuration) {
  EXPECT_EQ(FormatDuration(1, 24), "0.041667");
  EXPECT_EQ(FormatDuration(3, 1), "3.000000");
  EXPECT_EQ(FormatDuration(12, 24), "0.500000");
  EXPECT_EQ(FormatDuration(0, 24), "0.000000");
  EXPECT_EQ(FormatDuration(100000, 24), "4166.666667");
  EXPECT_EQ(FormatDuration(INT_MAX, 1), "2147483647.000000");
  EXPECT_EQ(FormatDuration(5, 0), "---");
  EXPECT_EQ(FormatDuration(0, 0), "---");
  EXPECT_EQ(FormatDuration(5, -1), "---");
  EXPECT_EQ(FormatDuration(5, INT_MIN), "---");
}

struct RefreshCase {
  int frames;
  RefreshFigures want;
};

TEST(Refresh, FiguresForFrameCounts) {
  const RefreshCase cases[] = {
      {0, {0, -1, true, -2, -2, 0, "0", "0.000000"}},
      {1, {1, 0, true, -1, -1, 0, "1", "0.041667"}},
      {2, {2, 1, true, 0, 0, 1, "2", "0.083333"}},
      {100, {100, 99, true, 98, 98, 99, "100", "4.166667"}},
  };
  for (const RefreshCase& c : cases) {
    SCOPED_TRACE(c.frames);
    const RefreshFigures f = ComputeRefresh(c.frames, 24, 1);
    EXPECT_EQ(f.frames, c.want.frames);
    EXPECT_EQ(f.editSelection, c.want.editSelection);
    EXPECT_EQ(f.previewFollows, c.want.previewFollows);
    EXPECT_EQ(f.previewSelection, c.want.previewSelection);
    EXPECT_EQ(f.sliderMax, c.want.sliderMax);
    EXPECT_EQ(f.progressMax, c.want.progressMax);
    EXPECT_EQ(f.frameTotal, c.want.frameTotal);
    EXPECT_EQ(f.duration, c.want.duration);
  }
  for (int mode : {0, 2, -1}) EXPECT_FALSE(ComputeRefresh(10, 24, mode).previewFollows) << mode;
  EXPECT_EQ(ComputeRefresh(10, 0, 1).duration, "---");
  // Long animations keep a progress bar beyond 16 bits.
  EXPECT_EQ(ComputeRefresh(100000, 24, 1).progressMax, 99999);
}

// ------------------------------------------------------------- ColorTable

TEST(ColorTable, DigitsAndNames) {
  const char digits[] = "0123456789ABCDEF";
  for (int i = 0; i < kColorCount; ++i) {
    SCOPED_TRACE(i);
    ASSERT_TRUE(ColorDigit(i).has_value());
    EXPECT_EQ(*ColorDigit(i), digits[i]);
  }
  for (int bad : {-1, 16, 17, 255, INT_MIN, INT_MAX}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(ColorDigit(bad).has_value());
  }

  const std::vector<std::string> names = {
      "黑色", "蓝色",   "绿色",   "浅绿色",   "红色",   "紫色",   "黄色",   "白色",
      "灰色", "淡蓝色", "淡绿色", "淡浅绿色", "淡红色", "淡紫色", "淡黄色", "亮白色",
  };
  ASSERT_EQ(kColorCount, 16);
  for (int i = 0; i < kColorCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(g_colorTable[i], names[static_cast<std::size_t>(i)]);
  }
}

}  // namespace

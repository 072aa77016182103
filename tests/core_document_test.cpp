// The animation document without the window: the frame chain and its index,
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

// The chain and the index must agree: walking pNext from the head meets
// At(0), At(1), ... in order, every pPrev points one step back, the chain
// ends after Size() frames, and walking pPrev from Last() returns to the head.
::testing::AssertionResult ChainConsistent(FrameList& list) {
  auto fail = [] { return ::testing::AssertionFailure(); };
  FrameNode* head = &list.Head();
  if (head->pPrev || list.At(-1) != head) return fail() << "head is not the chain's start";
  if (list.Empty() != (list.Size() == 0)) return fail() << "Empty() disagrees with Size()";
  const std::size_t n = list.Size();
  const FrameNode* prev = head;
  const FrameNode* node = head->pNext;
  for (std::size_t i = 0; i < n; prev = node, node = node->pNext, ++i) {
    if (!node) return fail() << "chain ends after " << i << " of " << n << " frames";
    if (list.At(static_cast<int>(i)) != node) return fail() << "At(" << i << ") is off the chain";
    if (node->pPrev != prev) return fail() << "frame " << i + 1 << " links back wrongly";
  }
  if (node) return fail() << "chain goes on past " << n << " frames";
  if (list.At(static_cast<int>(n))) return fail() << "At(Size()) is not null";
  if (&list.Last() != prev) return fail() << "Last() is not the chain's end";
  std::size_t back = 0;
  for (const FrameNode* p = &list.Last(); p != head; p = p->pPrev)
    if (!p || ++back > n) return fail() << "walking back from Last() misses the head";
  if (back != n) return fail() << "walking back takes " << back << " steps, not " << n;
  return ::testing::AssertionSuccess();
}

// The texts of all frames, in chain order.
std::vector<std::string> Texts(const FrameList& list) {
  std::vector<std::string> out;
  for (const FrameNode* p = list.Head().pNext; p; p = p->pNext) out.push_back(p->Text());
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
  EXPECT_TRUE(ChainConsistent(list));
  EXPECT_EQ(list.At(-1), &list.Head());
  EXPECT_EQ(list.At(INT_MIN), &list.Head());
  EXPECT_EQ(list.At(0), nullptr);
  EXPECT_EQ(&list.Last(), &list.Head());
  EXPECT_EQ(list.Head().pText, nullptr);
  EXPECT_EQ(list.Head().Text(), "");

  Fill(list, 3);
  ASSERT_TRUE(ChainConsistent(list));
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

TEST(FrameList, AppendLinksBothWays) {
  FrameList list;
  FrameNode& first = list.Append();
  EXPECT_EQ(first.pPrev, &list.Head());
  EXPECT_EQ(list.Head().pNext, &first);
  EXPECT_EQ(first.pText, EmptyFrameText());
  EXPECT_EQ(first.Text(), "");

  for (int i = 2; i <= 50; ++i) {
    FrameNode& node = list.Append(MakeFrameText(Label(i)));
    EXPECT_EQ(&node, &list.Last());
    EXPECT_EQ(node.pNext, nullptr);
  }
  ASSERT_TRUE(ChainConsistent(list));
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
  ASSERT_TRUE(ChainConsistent(list));
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.Head().pNext, nullptr);
  EXPECT_EQ(list.Head().Text(), "edit");

  FrameNode& again = list.Append(MakeFrameText("g1"));
  EXPECT_EQ(again.pPrev, &list.Head());
  EXPECT_TRUE(ChainConsistent(list));
  EXPECT_EQ(Texts(list), std::vector<std::string>{"g1"});
}

struct EraseCase {
  const char* name;
  std::size_t first;
  std::size_t count;
  std::vector<std::string> left;
};

TEST(FrameList, EraseRangesKeepChainAndIndexInStep) {
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
    ASSERT_TRUE(ChainConsistent(list));
    EXPECT_EQ(Texts(list), c.left);
    EXPECT_EQ(list.Head().Text(), "head");

    // The chain must also take new frames at its new end.
    list.Append(MakeFrameText("new"));
    ASSERT_TRUE(ChainConsistent(list));
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
  ASSERT_TRUE(ChainConsistent(list));
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

// ------------------------------------------------------- AnimationDocument

TEST(AnimationDocument, AppendBlankFrameFillsLastFrameThenAddsAnEmptyOne) {
  AnimationDocument doc;
  doc.AppendBlankFrame("first");
  ASSERT_TRUE(ChainConsistent(doc.m_frames));
  EXPECT_EQ(doc.m_frames.Head().Text(), "first");
  EXPECT_EQ(doc.m_frames.Size(), 1u);
  EXPECT_EQ(doc.FrameCount(), 1);
  EXPECT_EQ(doc.m_frames.Last().Text(), "");

  doc.AppendBlankFrame("second\r\nline");
  doc.AppendBlankFrame("");
  ASSERT_TRUE(ChainConsistent(doc.m_frames));
  EXPECT_EQ(doc.FrameCount(), 3);
  EXPECT_EQ(doc.m_frames.Size(), 3u);
  EXPECT_EQ(doc.m_frames.Head().Text(), "first");
  EXPECT_EQ(Texts(doc.m_frames), (std::vector<std::string>{"second\r\nline", "", ""}));
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

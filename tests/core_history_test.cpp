// The history of frame steps: each command's step makes what the command
// makes, undo and redo give back exactly the lists and positions before and
// after, and the history stays within its limits.
#include <gtest/gtest.h>
#include <malloc.h>

#include <functional>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/FrameSteps.h"
#include "document/History.h"
#include "project/ProjectFile.h"
#include "project/TextFrames.h"

using document::AnimationDocument;
using document::AreaPositions;
using document::AreasAfterRefresh;
using document::FrameList;
using document::FrameText;
using document::History;
using document::HistoryLimits;
using document::MakeFrameText;
using document::Step;
using document::StepContext;
using document::StepKind;

namespace {

using MaybeStep = std::optional<Step>;

// Head, size and every frame's text pointer the same.
::testing::AssertionResult SamePointers(const FrameList& a, const FrameList& b) {
  if (a.Head().pText != b.Head().pText) return ::testing::AssertionFailure() << "heads differ";
  if (a.Size() != b.Size())
    return ::testing::AssertionFailure() << "sizes " << a.Size() << " and " << b.Size();
  for (std::size_t i = 0; i < a.Size(); ++i)
    if (a.At(static_cast<int>(i))->pText != b.At(static_cast<int>(i))->pText)
      return ::testing::AssertionFailure() << "frame " << i + 1 << " differs";
  return ::testing::AssertionSuccess();
}

// Two results of one command on copies of start are the same frames: a text
// that was in start is the very same pointer in both; a text made by the
// command is the same bytes, and shared by the same frames, in both.
::testing::AssertionResult SameFrames(const FrameList& start, const FrameList& a,
                                      const FrameList& b) {
  std::set<const std::string*> old;
  old.insert(start.Head().pText.get());
  for (const auto& node : start) old.insert(node.pText.get());
  std::map<const std::string*, const std::string*> there, back;
  auto same = [&](const FrameText& x, const FrameText& y) {
    if (!x || !y || old.count(x.get()) || old.count(y.get())) return x == y;
    if (*x != *y) return false;
    auto [it, fresh] = there.emplace(x.get(), y.get());
    auto [jt, freshBack] = back.emplace(y.get(), x.get());
    return it->second == y.get() && jt->second == x.get();
  };
  if (!same(a.Head().pText, b.Head().pText)) return ::testing::AssertionFailure() << "heads differ";
  if (a.Size() != b.Size())
    return ::testing::AssertionFailure() << "sizes " << a.Size() << " and " << b.Size();
  for (std::size_t i = 0; i < a.Size(); ++i)
    if (!same(a.At(static_cast<int>(i))->pText, b.At(static_cast<int>(i))->pText))
      return ::testing::AssertionFailure() << "frame " << i + 1 << " differs";
  return ::testing::AssertionSuccess();
}

// The lists the commands start from: none, a head text alone, one frame, and
// six frames where neighbours share pictures.
std::vector<FrameList> StartLists() {
  std::vector<FrameList> lists(4);
  lists[1].Head().pText = MakeFrameText("head");
  lists[2].Append(MakeFrameText("only"));
  const FrameText a = MakeFrameText("a\r\n"), b = MakeFrameText("b"), c = MakeFrameText("c");
  lists[3].Head().pText = MakeFrameText("head");
  for (const FrameText& t : {a, a, b, c, c, c}) lists[3].Append(t);
  return lists;
}

// The document's command and the step, each on its own copy of start; then
// the step undone and redone. With no step, the document changed nothing.
void Compare(const char* what, const FrameList& start, const StepContext& at,
             const std::function<void(AnimationDocument&)>& command,
             const std::function<MaybeStep(const FrameList&)>& build, bool refreshes = true) {
  SCOPED_TRACE(what);
  AnimationDocument doc;
  doc.m_bCreated = 1;
  doc.m_animation.m_frames = start;
  command(doc);
  FrameList mine = start;
  MaybeStep step = build(mine);
  if (!step) {
    EXPECT_TRUE(SamePointers(doc.m_animation.m_frames, start));
    return;
  }
  const AreaPositions after = step->after;
  EXPECT_EQ(step->before, at.areas);
  // A command that refreshes the frame controls leaves the edit area on the
  // last frame and the preview on the one before it if it follows.
  const int n = doc.FrameCount();
  const AreaPositions refreshed{n - 1, at.previewFollows && n >= 2 ? n - 2 : -1};
  EXPECT_EQ(after, refreshes ? refreshed : at.areas);

  History history;
  ASSERT_TRUE(history.Do(mine, std::move(*step)));
  EXPECT_TRUE(SameFrames(start, doc.m_animation.m_frames, mine));
  const FrameList done = mine;
  EXPECT_EQ(history.Undo(mine), at.areas);
  EXPECT_TRUE(SamePointers(mine, start));
  EXPECT_EQ(history.Redo(mine), after);
  EXPECT_TRUE(SamePointers(mine, done));
}

std::vector<int> Positions(const FrameList& list) {
  const int n = static_cast<int>(list.Size());
  return {-2, -1, 0, n / 2, n - 1, n, n + 3};
}

// The head's and the frames' texts, in order.
std::vector<std::string> Contents(const FrameList& list) {
  std::vector<std::string> texts{list.Head().Text()};
  for (const auto& node : list) texts.push_back(node.Text());
  return texts;
}

// A picture of size bytes, different for every n.
FrameText Picture(int n, std::size_t size = 2000) {
  std::string text = std::to_string(n);
  text.resize(size, '#');
  return MakeFrameText(text);
}

struct Command {
  const char* name;
  std::function<void(AnimationDocument&)> doc;
  std::function<MaybeStep(const FrameList&)> step;
  bool refreshes = true;
};

// Today's commands, their numbers swept over and past the list's ends.
std::vector<Command> TodaysCommands(const FrameList& start, const StepContext& at) {
  const int n = static_cast<int>(start.Size()), e = at.areas.edit;
  std::vector<Command> c;
  c.push_back({"blank", [=](AnimationDocument& d) { d.AppendBlankFrame("typed", e); },
               [=](const FrameList& l) { return AppendBlankFrameStep(l, "typed", at); }});
  for (int count : {-1, 0, 1, 3})
    for (std::string text : {"typed", ""})
      c.push_back({"copies", [=](AnimationDocument& d) { d.AppendCopiesOfLast(text, count, e); },
                   [=](const FrameList& l) {
                     return AppendCopiesStep(l, StepKind::kAddDelayFrames, text, count, at);
                   }});
  c.push_back({"store", [=](AnimationDocument& d) { d.StoreEditText(e, "new"); },
               [=](const FrameList& l) { return StoreFrameStep(l, "new", at.areas); }, false});
  for (std::string text : {std::string("new"), std::string(start.At(e) ? start.At(e)->Text() : "")})
    c.push_back({"keep", [=](AnimationDocument& d) { d.KeepEditText(e, text); },
                 [=](const FrameList& l) { return KeepEditTextStep(l, e, text, at.areas); },
                 false});
  c.push_back({"last", [](AnimationDocument& d) { d.EraseLastFrame(); },
               [=](const FrameList& l) { return DeleteLastFrameStep(l, at); }});
  for (int k = 0; k <= n + 1; ++k) {
    c.push_back({"last k", [=](AnimationDocument& d) { d.EraseLastFrames(k); },
                 [=](const FrameList& l) { return DeleteLastFramesStep(l, k, at); }});
    c.push_back({"number k", [=](AnimationDocument& d) { d.EraseFrameNumber(k); },
                 [=](const FrameList& l) { return DeleteFrameStep(l, k, at); }});
    for (int j = 0; j <= n + 1; ++j) {
      c.push_back({"between", [=](AnimationDocument& d) { d.EraseBetween(k, j); },
                   [=](const FrameList& l) { return DeleteBetweenStep(l, k, j, at); }});
      // The window keeps the edit area's text before it deletes: one step.
      if (DeleteBetweenStep(start, k, j, at))
        c.push_back({"kept, then between",
                     [=](AnimationDocument& d) {
                       d.KeepEditText(e, "kept");
                       d.EraseBetween(k, j);
                     },
                     [=](const FrameList& l) {
                       MaybeStep step = DeleteBetweenStep(l, k, j, at);
                       KeepEditTextFirst(*step, l, e, "kept");
                       return step;
                     }});
    }
  }
  const FrameText x = MakeFrameText("x");
  std::vector<std::vector<FrameText>> sets = {{}, {x}, {x, x, MakeFrameText("y"), x}};
  if (n > 0) sets.push_back({start.At(0)->pText, x});  // a text the list has
  for (const auto& texts : sets) {
    c.push_back({"project",
                 [=](AnimationDocument& d) {
                   document::Animation project;
                   for (const FrameText& t : texts) project.m_frames.Append(t);
                   output::AppendProject(d, project);
                 },
                 [=](const FrameList& l) {
                   return AppendFramesStep(l, StepKind::kAppendProject, texts, at);
                 }});
    c.push_back(
        {"text",
         [=](AnimationDocument& d) { output::AppendProject(d, output::MakeTextAnimation(texts)); },
         [=](const FrameList& l) {
           return AppendFramesStep(l, StepKind::kImportText, texts, at);
         }});
  }
  return c;
}

}  // namespace

// ------------------------------------------------------- the commands of today

TEST(HistorySteps, TodaysCommandsMakeWhatTheDocumentMakes) {
  for (const FrameList& start : StartLists()) {
    for (int edit : Positions(start)) {
      for (bool follows : {true, false}) {
        const StepContext at{{edit, 0}, follows};
        SCOPED_TRACE(testing::Message() << "frames " << start.Size() << " edit " << edit);
        for (const Command& c : TodaysCommands(start, at))
          Compare(c.name, start, at, c.doc, c.step, c.refreshes);
      }
    }
  }
}

TEST(HistorySteps, AppendsStopAtTheFrameLimitAsTheDocumentDoes) {
  FrameList nearly;
  nearly.Insert(0, MakeFrameText("p"), document::kMaxFrames - 2);
  const StepContext at{{-1, -1}, true};
  for (int count : {1, 2, 3}) {
    SCOPED_TRACE(count);
    AnimationDocument doc;
    doc.m_bCreated = 1;
    doc.m_animation.m_frames = nearly;
    const bool copied = doc.AppendCopiesOfLast("t", count);
    EXPECT_EQ(AppendCopiesStep(nearly, StepKind::kFillSecond, "t", count, at).has_value(), copied);
    const std::vector<FrameText> texts(static_cast<std::size_t>(count), MakeFrameText("o"));
    document::Animation project;
    for (const FrameText& t : texts) project.m_frames.Append(t);
    const bool appended = AppendFramesStep(nearly, StepKind::kAppendProject, texts, at).has_value();
    doc.m_animation.m_frames = nearly;
    EXPECT_EQ(output::AppendProject(doc, project).ok(), appended);
  }
  FrameList full = nearly;
  full.Insert(0, MakeFrameText("q"), 2);
  EXPECT_FALSE(AppendBlankFrameStep(full, "t", at));
  EXPECT_FALSE(AppendCopiesStep(full, StepKind::kAddKeyFrame, "t", 1, at));
  full.Erase(0, 1);
  EXPECT_TRUE(AppendBlankFrameStep(full, "t", at));
}

// ------------------------------------------------------------ commands to come

TEST(HistorySteps, CommandsToComeKeepEachAreaOnItsFrame) {
  FrameList list;
  for (int i = 0; i < 8; ++i) list.Append(MakeFrameText("f" + std::to_string(i)));
  auto textAt = [](const FrameList& l, int p) { return l.At(p) ? l.At(p)->Text() : "-"; };
  // The step done on a copy of list: the preview shows the text it showed,
  // the edit area too unless it moves to the new frame (newText).
  auto check = [&](MaybeStep step, const char* newText = nullptr) {
    FrameList l = list;
    History history;
    if (!step || !history.Do(l, *step)) {
      ADD_FAILURE() << "no step";
      return l;
    }
    EXPECT_EQ(textAt(l, step->after.edit), newText ? newText : textAt(list, step->before.edit));
    EXPECT_EQ(textAt(l, step->after.preview), textAt(list, step->before.preview));
    return l;
  };
  for (int p : {-1, 0, 3, 7}) {
    const AreaPositions areas{p, (p + 5) % 8};
    EXPECT_EQ(check(InsertBlankFrameStep(list, p, areas), "").Size(), 9u);
    if (p < 0) continue;
    const std::string shown = list.At(p)->Text();
    EXPECT_EQ(check(DuplicateFrameStep(list, p, areas), shown.c_str()).At(p + 1)->pText,
              list.At(p)->pText);
    const FrameList held = check(HoldFrameStep(list, p, 5, areas));
    ASSERT_EQ(held.Size(), 13u);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(held.At(p + i)->pText, list.At(p)->pText);
  }
  for (int edit = -1; edit < 8; ++edit) {
    const AreaPositions areas{edit, 7 - edit};
    std::string order;
    for (const auto& node : check(MoveFramesStep(list, 1, 3, 4, areas))) order += node.Text()[1];
    EXPECT_EQ(order, "04561237");
    EXPECT_EQ(check(MoveFramesStep(list, 6, 1, 0, areas)).At(0)->Text(), "f6");
  }
  const AreaPositions none;
  EXPECT_FALSE(InsertBlankFrameStep(list, 8, none));
  EXPECT_FALSE(DuplicateFrameStep(list, -1, none));
  EXPECT_FALSE(HoldFrameStep(list, 2, 0, none));
  EXPECT_FALSE(MoveFramesStep(list, 2, 2, 2, none));
  EXPECT_FALSE(MoveFramesStep(list, 5, 4, 0, none));
  EXPECT_FALSE(MoveFramesStep(list, 0, 4, 5, none));
}

// ------------------------------------------------------------------- the history

TEST(History, ALongMixedSequenceUndoesToTheStartAndRedoesToTheEnd) {
  std::mt19937 random(20240517);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  FrameList list;
  list.Head().pText = MakeFrameText("head");
  for (int i = 0; i < 30; ++i) list.Append(Picture(i, 20));
  std::vector<FrameList> lists{list};
  std::vector<AreaPositions> areas{{0, 0}};
  History history;
  int made = 0;
  while (lists.size() < 301) {
    const int n = static_cast<int>(list.Size());
    const StepContext at{areas.back(), pick(0, 1) == 1};
    const std::string text = "t" + std::to_string(++made);
    const std::function<MaybeStep()> commands[] = {
        [&] { return AppendBlankFrameStep(list, text, at); },
        [&] { return AppendCopiesStep(list, StepKind::kAddDelayFrames, text, pick(0, 40), at); },
        [&] { return StoreFrameStep(list, text, at.areas); },
        [&] { return KeepEditTextStep(list, at.areas.edit, text, at.areas); },
        [&] { return DeleteBetweenStep(list, pick(0, n + 1), pick(0, n + 1), at); },
        [&] { return DeleteLastFramesStep(list, pick(0, 5), at); },
        [&] { return DeleteFrameStep(list, pick(1, n), at); },
        [&] { return AppendFramesStep(list, StepKind::kImportText, {Picture(made)}, at); },
        [&] { return InsertBlankFrameStep(list, pick(-1, n - 1), at.areas); },
        [&] { return HoldFrameStep(list, pick(0, n - 1), pick(1, 9), at.areas); },
        [&] { return MoveFramesStep(list, pick(0, n - 1), pick(1, 6), pick(0, n - 1), at.areas); },
    };
    MaybeStep step = commands[pick(0, 10)]();
    if (!step) continue;
    const AreaPositions after = step->after;
    ASSERT_TRUE(history.Do(list, std::move(*step)));
    lists.push_back(list);
    areas.push_back(after);
  }
  EXPECT_EQ(history.UndoCount(), 300u);
  // Back to the start, one step at a time, and forward again to the end.
  for (std::size_t i = lists.size() - 1; i > 0; --i) {
    ASSERT_EQ(history.Undo(list), areas[i - 1]) << "undoing step " << i;
    ASSERT_TRUE(SamePointers(list, lists[i - 1])) << "undoing step " << i;
  }
  EXPECT_FALSE(history.Undo(list));
  for (std::size_t i = 1; i < lists.size(); ++i) {
    ASSERT_EQ(history.Redo(list), areas[i]) << "redoing step " << i;
    ASSERT_TRUE(SamePointers(list, lists[i])) << "redoing step " << i;
  }
  EXPECT_FALSE(history.Redo(list));
  // Nothing the history counts is left after it is cleared.
  history.Clear();
  EXPECT_EQ(history.Bytes(), 0u);
  EXPECT_FALSE(history.CanUndo());
}

TEST(History, ANewStepDropsTheStepsToRedoAndNamesFollowTheSteps) {
  FrameList list;
  History history;
  EXPECT_STREQ(history.UndoName(), "");
  const StepContext at{{-1, -1}, true};
  ASSERT_TRUE(history.Do(list, *AppendBlankFrameStep(list, "a", at)));
  ASSERT_TRUE(history.Do(list, *AppendCopiesStep(list, StepKind::kAddKeyFrame, "b", 1, at)));
  ASSERT_TRUE(history.Do(list, *StoreFrameStep(list, "c", {0, -1})));
  EXPECT_STREQ(history.UndoName(), "保存此帧内容");
  ASSERT_TRUE(history.Undo(list));
  ASSERT_TRUE(history.Undo(list));
  EXPECT_STREQ(history.UndoName(), "添加空白帧");
  EXPECT_STREQ(history.RedoName(), "添加关键帧");
  const FrameList one = list;
  ASSERT_TRUE(history.Do(list, *DeleteLastFrameStep(list, at)));
  EXPECT_FALSE(history.CanRedo());
  EXPECT_STREQ(history.RedoName(), "");
  EXPECT_EQ(history.UndoCount(), 2u);
  // Moved, the steps go with it and leave nothing behind.
  History moved(std::move(history));
  EXPECT_FALSE(history.CanUndo());
  EXPECT_EQ(history.Bytes(), 0u);
  ASSERT_TRUE(moved.Undo(list));
  EXPECT_TRUE(SamePointers(list, one));
  ASSERT_TRUE(moved.Undo(list));
  EXPECT_EQ(list.Size(), 0u);
  EXPECT_EQ(list.Head().pText, nullptr);
  // Every kind has a name of its own.
  std::set<std::string> names;
  for (int k = 0; k <= static_cast<int>(StepKind::kImportPictures); ++k)
    names.insert(document::StepName(static_cast<StepKind>(k)));
  EXPECT_EQ(names.size(), static_cast<std::size_t>(StepKind::kImportPictures) + 1);
  EXPECT_FALSE(names.count(""));
}

TEST(History, RefusesStepsThatDoNotFitAndListsChangedBehindItsBack) {
  FrameList list;
  for (int i = 0; i < 3; ++i) list.Append(Picture(i, 10));
  const FrameList start = list;
  History history;
  Step bad;
  bad.changes.emplace_back(document::TextSwap{3, MakeFrameText("x")});
  EXPECT_FALSE(history.Do(list, bad));
  // The first change fits, the second does not: the first is taken back.
  Step half;
  half.changes.emplace_back(document::FrameErase{0, 2, {}});
  half.changes.emplace_back(document::BlockMove{0, 2, 0});
  EXPECT_FALSE(history.Do(list, half));
  EXPECT_TRUE(SamePointers(list, start));
  EXPECT_FALSE(history.CanUndo());

  ASSERT_TRUE(history.Do(list, *DeleteFrameStep(list, 2, {})));
  list.Append(Picture(9, 10));  // behind the history's back
  const FrameList changed = list;
  EXPECT_FALSE(history.Undo(list));
  EXPECT_TRUE(SamePointers(list, changed));
  EXPECT_FALSE(history.CanUndo());
  EXPECT_EQ(history.Bytes(), 0u);
}

TEST(History, StepLimitDropsTheOldestStepsAndKeepsTheRestWhole) {
  FrameList list;
  History history(HistoryLimits{5, std::size_t{1} << 20});
  std::vector<FrameList> lists{list};
  for (int i = 0; i < 8; ++i) {
    ASSERT_TRUE(history.Do(
        list, *AppendCopiesStep(list, StepKind::kAddKeyFrame, std::to_string(i), 2, {})));
    lists.push_back(list);
    EXPECT_LE(history.UndoCount(), 5u);
  }
  for (int i = 7; i >= 3; --i) {
    ASSERT_TRUE(history.Undo(list));
    ASSERT_TRUE(SamePointers(list, lists[static_cast<std::size_t>(i)]));
  }
  EXPECT_FALSE(history.CanUndo());
  for (int i = 4; i <= 8; ++i) {
    ASSERT_TRUE(history.Redo(list));
    ASSERT_TRUE(SamePointers(list, lists[static_cast<std::size_t>(i)]));
  }
}

TEST(History, ByteLimitDropsTheOldestStepsAndKeepsTheRestWhole) {
  FrameList list;
  for (int i = 0; i < 200; ++i) list.Append(Picture(i, 1000));
  const std::size_t limit = 20 << 10;
  History history(HistoryLimits{1000, limit});
  // Kept as bytes: a copy of the list would hold the deleted pictures too.
  std::vector<std::vector<std::string>> lists{Contents(list)};
  for (int i = 0; i < 40; ++i) {
    ASSERT_TRUE(history.Do(list, *DeleteFrameStep(list, 1 + i, {})));
    lists.push_back(Contents(list));
    ASSERT_LE(history.Bytes(), limit);
  }
  // Each deleted picture is held (about a kilobyte): fewer than 20 fit.
  const std::size_t kept = history.UndoCount();
  EXPECT_GT(kept, 10u);
  EXPECT_LT(kept, 20u);
  for (std::size_t i = 0; i < kept; ++i) {
    ASSERT_TRUE(history.Undo(list));
    ASSERT_EQ(Contents(list), lists[lists.size() - 2 - i]);
  }
  EXPECT_FALSE(history.CanUndo());

  // A step bigger than the whole limit is done, and nothing is kept.
  const std::size_t left = list.Size() - 100;
  ASSERT_TRUE(history.Do(list, *DeleteLastFramesStep(list, 100, {})));
  EXPECT_EQ(list.Size(), left);
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.Bytes(), 0u);

  // Undoing may make a step hold more than the limit: it is then dropped
  // too, and the list stays as the undo left it.
  std::vector<FrameText> texts;
  for (int i = 0; i < 100; ++i) texts.push_back(Picture(1000 + i, 1000));
  MaybeStep append = AppendFramesStep(list, StepKind::kImportText, texts, {});
  texts.clear();
  ASSERT_TRUE(history.Do(list, std::move(*append)));
  EXPECT_TRUE(history.CanUndo());
  ASSERT_TRUE(history.Undo(list));
  EXPECT_EQ(list.Size(), left);
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.Bytes(), 0u);
}

TEST(History, CountsEachTextOnlyItKeepsAliveOnce) {
  const std::size_t size = 5000;
  FrameList list;
  list.Append(Picture(1, size));
  list.Append(list.At(0)->pText);
  list.Append(list.At(0)->pText);
  list.Append(Picture(2, size));
  History history;
  // Deleted copies whose picture another frame still shows cost no text.
  ASSERT_TRUE(history.Do(list, *DeleteFrameStep(list, 1, {})));
  ASSERT_TRUE(history.Do(list, *DeleteFrameStep(list, 2, {})));
  EXPECT_EQ(history.TextBytes(), 0u);
  EXPECT_GT(history.RecordBytes(), 0u);
  // The last copy: now only the history holds the picture, and it is counted
  // once although three steps hold it.
  ASSERT_TRUE(history.Do(list, *DeleteFrameStep(list, 1, {})));
  EXPECT_GE(history.TextBytes(), size);
  EXPECT_LT(history.TextBytes(), 2 * size);
  const std::size_t once = history.TextBytes();
  // Back in the list it costs nothing; out again, the same as before.
  ASSERT_TRUE(history.Undo(list));
  EXPECT_EQ(history.TextBytes(), 0u);
  ASSERT_TRUE(history.Redo(list));
  EXPECT_EQ(history.TextBytes(), once);
  // Held elsewhere too (a copy of the list before), it costs nothing.
  ASSERT_TRUE(history.Undo(list));
  {
    const FrameList elsewhere = list;
    ASSERT_TRUE(history.Redo(list));
    EXPECT_EQ(history.TextBytes(), 0u);
  }
  // A stored text: the picture it replaced is held only here now, and the
  // one the copy held is counted again.
  ASSERT_TRUE(history.Do(list, *StoreFrameStep(list, std::string(size, 's'), {0, -1})));
  EXPECT_GE(history.TextBytes(), once + size);
  EXPECT_LT(history.TextBytes(), once + 2 * size);
  history.Clear();
  EXPECT_EQ(history.Bytes(), 0u);
}

TEST(History, CopiesOfOnePictureAreKeptAsOneRun) {
  FrameList list;
  list.Insert(0, Picture(1), document::kMaxFrames);
  const FrameList start = list;
  History history;
  ASSERT_TRUE(history.Do(list, *DeleteLastFramesStep(list, document::kMaxFrames - 1, {})));
  EXPECT_EQ(list.Size(), 1u);
  EXPECT_LT(history.RecordBytes(), 1024u);
  ASSERT_TRUE(history.Undo(list));
  EXPECT_TRUE(SamePointers(list, start));
  EXPECT_LT(history.RecordBytes(), 1024u);
  ASSERT_TRUE(history.Redo(list));
  ASSERT_TRUE(history.Do(list, *AppendCopiesStep(list, StepKind::kAddDelayFrames, "d", 2400, {})));
  EXPECT_LT(history.RecordBytes(), 2048u);
}

// 100 commands on a list of 200,000 frames that show 100 dense pictures in
// runs: what the history holds stays small, and the allocator agrees with
// the count.
TEST(History, AHundredStepsOnALargeSharedListStayWithinTheirBound) {
  FrameList list;
  for (int p = 0; p < 100; ++p) list.Insert(list.Size(), Picture(p), 2000);
  History history;
  for (int i = 0; i < 20; ++i) {
    const int n = static_cast<int>(list.Size());
    const StepContext at{{n - 1, n - 2}, true};
    std::string picture = std::to_string(i);
    picture.resize(2000, '*');
    ASSERT_TRUE(history.Do(list, *AppendBlankFrameStep(list, picture, at)));
    ASSERT_TRUE(
        history.Do(list, *AppendCopiesStep(list, StepKind::kAddDelayFrames, picture, 2400, at)));
    ASSERT_TRUE(history.Do(list, *DeleteBetweenStep(list, 1000 + 3000 * i, 3401 + 3000 * i, at)));
    ASSERT_TRUE(history.Do(list, *StoreFrameStep(list, picture + "!", at.areas)));
    ASSERT_TRUE(history.Do(list, *MoveFramesStep(list, 10, 500, 90000, at.areas)));
  }
  EXPECT_EQ(history.UndoCount(), 100u);
  EXPECT_LT(history.Bytes(), std::size_t{256} << 10);
#if !defined(__SANITIZE_ADDRESS__)
  // The heap the history holds: what clearing it gives back.
  const std::size_t heapWith = mallinfo2().uordblks;
  const std::size_t counted = history.Bytes();
  history.Clear();
  const std::size_t freed = heapWith - mallinfo2().uordblks;
  EXPECT_NEAR(static_cast<double>(freed), static_cast<double>(counted), counted / 4.0);
#endif
}

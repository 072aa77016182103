// Shaping the sequence in the document: inserting, duplicating, moving,
// holding and deleting a frame or a block as one step each, the edit area's
// typing kept in the same step, and undo and redo giving back the frames,
// the areas' frames and the picture that was being drawn.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/SequenceSteps.h"

using document::AnimationDocument;
using document::AreaPositions;
using document::FrameText;
using document::kMaxFrames;
using document::MakeFrameText;
using document::SequenceAction;
using document::SequenceCommand;
using document::SequenceOutcome;
using document::StepKind;

namespace {

// One frame per letter: "ABC" is three frames reading "A", "B", "C".
AnimationDocument WithFrames(const std::string& letters) {
  AnimationDocument doc;
  doc.m_bCreated = 1;
  doc.m_animation.m_nRate = 10;
  for (char c : letters) doc.m_animation.m_frames.Append(MakeFrameText(std::string(1, c)));
  return doc;
}

// The frames as letters ("." for an empty frame).
std::string Letters(const AnimationDocument& doc) {
  std::string s;
  for (const auto& node : doc.m_animation.m_frames) s += node.Text().empty() ? "." : node.Text();
  return s;
}

std::vector<FrameText> Pointers(const AnimationDocument& doc) {
  std::vector<FrameText> p;
  for (const auto& node : doc.m_animation.m_frames) p.push_back(node.pText);
  return p;
}

struct Case {
  const char* name;
  SequenceCommand command;
  AreaPositions areas;  // before
  const char* after;    // the frames
  int editAfter;        // the edit area's position
  int previewAfter;
};

}  // namespace

// Every command: the frames it makes, where the areas go, and one undo
// giving back exactly the frames before (the same texts, not copies) and
// the areas' positions, one redo the frames after.
TEST(Sequence, EachCommandMakesItsFramesAndUndoesAndRedoesExactly) {
  using A = SequenceAction;
  const Case cases[] = {
      {"insert after a middle frame", {A::kInsertBlank, 2, 1}, {2, 4}, "ABC.DEF", 3, 5},
      {"insert after the last frame", {A::kInsertBlank, 5, 1}, {5, 0}, "ABCDEF.", 6, 0},
      {"insert after a block", {A::kInsertBlank, 0, 3}, {0, -1}, "ABC.DEF", 3, -1},
      {"duplicate the first frame", {A::kDuplicate, 0, 1}, {0, 1}, "AABCDEF", 1, 2},
      {"duplicate a block", {A::kDuplicate, 1, 3}, {2, 5}, "ABCDBCDEF", 4, 8},
      {"move the last frame earlier", {A::kMoveEarlier, 5, 1}, {5, 4}, "ABCDFE", 4, 5},
      {"move a block later", {A::kMoveLater, 1, 2}, {1, 3}, "ADBCEF", 2, 1},
      {"move a block to frame 1", {A::kMoveTo, 3, 3, 1}, {4, 0}, "DEFABC", 1, 3},
      {"move the first frame to the end", {A::kMoveTo, 0, 1, 6}, {0, 5}, "BCDEFA", 5, 4},
      {"hold a frame", {A::kHold, 2, 1, 3}, {3, 2}, "ABCCCCDEF", 6, 2},
      {"hold a block", {A::kHold, 1, 2, 2}, {2, 5}, "ABBBCCCDEF", 4, 9},
      {"hold the last frame", {A::kHold, 5, 1, 1}, {5, 5}, "ABCDEFF", 5, 5},
      {"delete the first frame", {A::kDelete, 0, 1}, {0, 3}, "BCDEF", 0, 2},
      {"delete a block at the end", {A::kDelete, 3, 3}, {4, 1}, "ABC", 2, 1},
      {"delete a block in the middle", {A::kDelete, 1, 2}, {5, 1}, "ADEF", 3, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AnimationDocument doc = WithFrames("ABCDEF");
    const std::vector<FrameText> before = Pointers(doc);
    doc.m_areasShown = c.areas;
    ASSERT_EQ(doc.RunSequence(c.command), SequenceOutcome::kDone);
    EXPECT_EQ(Letters(doc), c.after);
    EXPECT_EQ(doc.m_history.UndoCount(), 1u);
    const std::vector<FrameText> after = Pointers(doc);

    const auto undone = doc.UndoStep();
    ASSERT_TRUE(undone);
    EXPECT_EQ(undone->areas, c.areas);
    EXPECT_EQ(Pointers(doc), before);
    const auto redone = doc.RedoStep();
    ASSERT_TRUE(redone);
    EXPECT_EQ(redone->areas, (AreaPositions{c.editAfter, c.previewAfter}));
    EXPECT_EQ(redone->editText, doc.TextAt(c.editAfter));
    EXPECT_EQ(Pointers(doc), after);
  }
}

// An area follows the picture it showed wherever a move or a hold takes it.
TEST(Sequence, AreasStayOnThePictureTheyShowed) {
  using A = SequenceAction;
  const SequenceCommand commands[] = {
      {A::kMoveTo, 0, 2, 5}, {A::kMoveEarlier, 4, 2}, {A::kHold, 0, 3, 2},
      {A::kMoveLater, 2, 1}, {A::kDuplicate, 0, 6},   {A::kInsertBlank, 1, 1},
  };
  for (int edit = 0; edit < 6; ++edit) {
    AnimationDocument doc = WithFrames("ABCDEF");
    doc.m_areasShown = {edit, 5 - edit};
    for (const SequenceCommand& c : commands) {
      const std::string editShows = doc.TextAt(doc.m_areasShown.edit);
      const std::string previewShows = doc.TextAt(doc.m_areasShown.preview);
      ASSERT_EQ(doc.RunSequence(c), SequenceOutcome::kDone);
      ASSERT_TRUE(doc.UndoStep());
      const auto redo = doc.RedoStep();
      ASSERT_TRUE(redo);
      doc.m_areasShown.preview = redo->areas.preview;
      EXPECT_EQ(doc.TextAt(redo->areas.preview), previewShows);
      // Insert and duplicate show the new frame; the others keep the picture.
      if (c.action != A::kInsertBlank && c.action != A::kDuplicate) {
        EXPECT_EQ(doc.TextAt(redo->areas.edit), editShows);
      }
      doc.m_areasShown.edit = redo->areas.edit;
    }
  }
}

TEST(Sequence, RefusalsChangeNothingAndSayWhy) {
  using A = SequenceAction;
  struct Refusal {
    SequenceCommand command;
    SequenceOutcome outcome;
  };
  const Refusal refusals[] = {
      {{A::kMoveEarlier, 0, 2}, SequenceOutcome::kNothing},
      {{A::kMoveLater, 4, 2}, SequenceOutcome::kNothing},
      {{A::kMoveTo, 1, 2, 2}, SequenceOutcome::kNothing},  // where it is already
      {{A::kMoveTo, 1, 2, 6}, SequenceOutcome::kNoSuchFrame},
      {{A::kMoveTo, 1, 1, 0}, SequenceOutcome::kNoSuchFrame},
      {{A::kHold, 1, 1, 0}, SequenceOutcome::kNothing},
      {{A::kDelete, 0, 6}, SequenceOutcome::kLastFrames},
      {{A::kDuplicate, 5, 2}, SequenceOutcome::kNoSuchFrame},
      {{A::kInsertBlank, -1, 1}, SequenceOutcome::kNoSuchFrame},
      {{A::kHold, 0, 3, kMaxFrames}, SequenceOutcome::kFrameLimit},
  };
  for (const Refusal& r : refusals) {
    AnimationDocument doc = WithFrames("ABCDEF");
    EXPECT_EQ(doc.RunSequence(r.command), r.outcome);
    EXPECT_EQ(Letters(doc), "ABCDEF");
    EXPECT_FALSE(doc.m_history.CanUndo());
  }
}

// At the frame limit nothing more is added, by any command that adds.
TEST(Sequence, TheFrameLimitHolds) {
  AnimationDocument doc = WithFrames("");
  doc.m_animation.m_frames.Insert(0, MakeFrameText("x"), kMaxFrames - 2);
  using A = SequenceAction;
  EXPECT_EQ(doc.RunSequence({A::kDuplicate, 0, 3}), SequenceOutcome::kFrameLimit);
  EXPECT_EQ(doc.RunSequence({A::kHold, 0, 1, 3}), SequenceOutcome::kFrameLimit);
  EXPECT_EQ(doc.RunSequence({A::kHold, 0, 2, 1}), SequenceOutcome::kDone);
  EXPECT_EQ(doc.FrameCount(), kMaxFrames);
  EXPECT_EQ(doc.RunSequence({A::kInsertBlank, 0, 1}), SequenceOutcome::kFrameLimit);
  EXPECT_EQ(doc.RunSequence({A::kDuplicate, 0, 1}), SequenceOutcome::kFrameLimit);
  EXPECT_EQ(doc.FrameCount(), kMaxFrames);
  EXPECT_EQ(doc.m_history.UndoCount(), 1u);
}

// What was typed goes into its frame within the command's own step: one
// undo takes back both, and gives the typing back to the edit area.
TEST(Sequence, TypingIsKeptInTheSameStepAndComesBackOnUndo) {
  using A = SequenceAction;
  for (A action : {A::kInsertBlank, A::kDuplicate, A::kMoveLater, A::kHold, A::kDelete}) {
    AnimationDocument doc = WithFrames("ABCD");
    doc.m_areasShown = {1, -1};
    doc.KeepEditTextWithNextStep(1, "typed");
    ASSERT_EQ(doc.RunSequence({action, 1, 1, 2}), SequenceOutcome::kDone);
    EXPECT_EQ(doc.m_history.UndoCount(), 1u);
    if (action != A::kDelete) {
      EXPECT_NE(Letters(doc).find("typed"), std::string::npos);
    }
    const auto undone = doc.UndoStep();
    ASSERT_TRUE(undone);
    EXPECT_EQ(Letters(doc), "ABCD");
    EXPECT_EQ(undone->areas.edit, 1);
    EXPECT_EQ(undone->editText, "typed");
  }
  // Unchanged text adds nothing to the step; the edit area gets the frame.
  AnimationDocument doc = WithFrames("ABCD");
  doc.m_areasShown = {2, -1};
  doc.KeepEditTextWithNextStep(2, "C");
  doc.RunSequence({A::kDuplicate, 2, 1});
  EXPECT_EQ(doc.UndoStep()->editText, "C");
}

// A refused command still keeps the typing, as moving the edit area does;
// a forgotten note keeps nothing.
TEST(Sequence, TypingNotedForARefusedCommandIsKeptAlone) {
  AnimationDocument doc = WithFrames("ABC");
  doc.KeepEditTextWithNextStep(0, "typed");
  EXPECT_EQ(doc.RunSequence({SequenceAction::kMoveEarlier, 0, 1}), SequenceOutcome::kNothing);
  EXPECT_EQ(Letters(doc), "typedBC");
  EXPECT_EQ(doc.m_history.NextUndo(), StepKind::kKeepEditText);

  doc.KeepEditTextWithNextStep(1, "dropped");
  doc.ForgetEditText();
  doc.RunSequence({SequenceAction::kMoveEarlier, 0, 1});
  EXPECT_EQ(Letters(doc), "typedBC");
}

// Undoing Ctrl+Alt+Z shows the picture as it was being drawn in the frame
// it was drawn in, not the empty frame; the deletions keep the typing
// in their own step the same way.
TEST(Sequence, UndoingTheClassicCommandsGivesBackThePictureBeingDrawn) {
  AnimationDocument doc = WithFrames("AB.");
  doc.m_areasShown = {2, 1};
  doc.AppendBlankFrame("drawing", 2);
  EXPECT_EQ(Letters(doc), "ABdrawing.");
  auto undone = doc.UndoStep();
  ASSERT_TRUE(undone);
  EXPECT_EQ(undone->areas, (AreaPositions{2, 1}));
  EXPECT_EQ(undone->editText, "drawing");
  EXPECT_EQ(Letters(doc), "AB.");
  auto redone = doc.RedoStep();
  EXPECT_EQ(redone->areas.edit, 3);
  EXPECT_EQ(redone->editText, "");

  doc.m_areasShown = {1, -1};
  doc.KeepEditTextWithNextStep(1, "typed");
  doc.EraseLastFrame();
  EXPECT_EQ(Letters(doc), "Atypeddrawing");
  EXPECT_EQ(doc.m_history.NextUndo(), StepKind::kDeleteLastFrame);
  undone = doc.UndoStep();
  EXPECT_EQ(Letters(doc), "ABdrawing.");
  EXPECT_EQ(undone->editText, "typed");
  EXPECT_EQ(doc.m_history.NextUndo(), StepKind::kAppendBlankFrame);
}

TEST(Sequence, NothingToUndoOrRedo) {
  AnimationDocument doc = WithFrames("AB");
  EXPECT_FALSE(doc.UndoStep());
  EXPECT_FALSE(doc.RedoStep());
  EXPECT_EQ(Letters(doc), "AB");
}

TEST(Sequence, HeldPositions) {
  // Frames 0..5, the block 1..2 held twice: 0 | 1 1 1 | 2 2 2 | 3 4 5.
  EXPECT_EQ(document::HeldPosition(-1, 1, 2, 2), -1);
  EXPECT_EQ(document::HeldPosition(0, 1, 2, 2), 0);
  EXPECT_EQ(document::HeldPosition(1, 1, 2, 2), 1);
  EXPECT_EQ(document::HeldPosition(2, 1, 2, 2), 4);
  EXPECT_EQ(document::HeldPosition(3, 1, 2, 2), 7);
}

// The document's frame commands as steps of its history: each command the
// window runs can be undone and redone, and what starts an animation afresh
// leaves nothing of the last one to undo.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "document/AnimationDocument.h"
#include "project/ProjectFile.h"
#include "project/TextFrames.h"

using document::AnimationDocument;
using document::FrameNode;
using document::FrameText;
using document::MakeFrameText;
using document::StepKind;

namespace {

// The frames exactly: every text by pointer, and the head's text.
struct Frames {
  std::vector<FrameText> texts;
  FrameText head;
  bool operator==(const Frames&) const = default;
};

Frames Take(const AnimationDocument& doc) {
  Frames f;
  for (const FrameNode& node : doc.m_animation.m_frames) f.texts.push_back(node.pText);
  f.head = doc.m_animation.m_frames.Head().pText;
  return f;
}

AnimationDocument Created() {
  AnimationDocument doc;
  doc.m_bCreated = 1;
  doc.m_animation.m_nRate = 4;
  doc.m_nDelay = 2;
  doc.AppendBlankFrame("first");
  doc.m_history.Clear();
  return doc;
}

}  // namespace

TEST(DocumentHistory, EveryFrameCommandIsOneStepUndoneAndRedoneExactly) {
  AnimationDocument doc = Created();
  document::Animation project;
  project.m_frames.Append(MakeFrameText("p1"));
  project.m_frames.Append(MakeFrameText("p2"));
  struct Command {
    StepKind kind;
    std::function<void()> run;
  };
  const std::vector<Command> commands = {
      {StepKind::kAppendBlankFrame, [&] { doc.AppendBlankFrame("a", 0); }},
      {StepKind::kAddKeyFrame, [&] { doc.AppendCopiesOfLast("key", 1); }},
      {StepKind::kFillSecond,
       [&] { doc.AppendCopiesOfLast("sec", doc.CopiesForSecond(), 1, StepKind::kFillSecond); }},
      {StepKind::kAddDelayFrames,
       [&] {
         doc.AppendCopiesOfLast("wait", doc.CopiesForDelay(), -1, StepKind::kAddDelayFrames);
       }},
      {StepKind::kStoreFrame, [&] { doc.StoreEditText(2, "stored"); }},
      {StepKind::kKeepEditText, [&] { doc.KeepEditText(3, "kept"); }},
      {StepKind::kDeleteBetween, [&] { doc.EraseBetween(2, 6); }},
      {StepKind::kAppendProject, [&] { output::AppendProject(doc, project); }},
      {StepKind::kImportText,
       [&] {
         output::AppendProject(doc, output::MakeTextAnimation({MakeFrameText("t")}),
                               StepKind::kImportText);
       }},
      {StepKind::kDeleteFrame, [&] { doc.EraseFrameNumber(1); }},
      {StepKind::kDeleteLastFrames, [&] { doc.EraseLastFrames(3); }},
      {StepKind::kDeleteLastFrame, [&] { doc.EraseLastFrame(); }},
  };
  std::vector<Frames> states = {Take(doc)};
  for (const Command& c : commands) {
    SCOPED_TRACE(document::StepName(c.kind));
    c.run();
    ASSERT_NE(Take(doc), states.back()) << "the command changed nothing";
    ASSERT_EQ(doc.m_history.NextUndo(), c.kind);
    states.push_back(Take(doc));
  }
  EXPECT_EQ(doc.m_history.UndoCount(), commands.size());
  for (std::size_t i = commands.size(); i-- > 0;) {
    ASSERT_TRUE(doc.m_history.Undo(doc.m_animation.m_frames));
    EXPECT_EQ(Take(doc), states[i]) << "after undoing " << document::StepName(commands[i].kind);
  }
  EXPECT_FALSE(doc.m_history.CanUndo());
  for (std::size_t i = 0; i < commands.size(); ++i) {
    ASSERT_TRUE(doc.m_history.Redo(doc.m_animation.m_frames));
    EXPECT_EQ(Take(doc), states[i + 1]) << "after redoing " << document::StepName(commands[i].kind);
  }

  // A new change after undoing drops what could have been redone.
  doc.m_history.Undo(doc.m_animation.m_frames);
  doc.AppendBlankFrame("new");
  EXPECT_FALSE(doc.m_history.CanRedo());
}

TEST(DocumentHistory, RefusedCommandsAndNoFrameToDeleteAddNoStep) {
  AnimationDocument doc = Created();
  for (int i = 0; i < 5; ++i) doc.AppendBlankFrame(std::to_string(i));
  doc.m_history.Clear();
  const Frames before = Take(doc);
  // Equal or neighbouring bounds leave no frame between them.
  doc.EraseBetween(3, 3);
  doc.EraseBetween(3, 4);
  doc.EraseBetween(4, 3);
  doc.EraseFrameNumber(0);
  doc.EraseFrameNumber(99);
  EXPECT_FALSE(doc.AppendCopiesOfLast("x", document::kMaxFrames));
  doc.StoreEditText(42, "nowhere");
  doc.StoreEditText(2, doc.m_animation.m_frames.At(2)->Text());  // what it holds already
  EXPECT_EQ(Take(doc), before);
  EXPECT_FALSE(doc.m_history.CanUndo());
}

TEST(DocumentHistory, CreatingOrOpeningLeavesNothingToUndo) {
  AnimationDocument doc = Created();
  doc.AppendBlankFrame("a");
  ASSERT_TRUE(doc.m_history.CanUndo());
  doc.RestartFrames();
  EXPECT_FALSE(doc.m_history.CanUndo());

  doc.AppendBlankFrame("b");
  doc.TakeCreation({}, {}, 0, 7, "07");
  EXPECT_FALSE(doc.m_history.CanUndo());

  doc.AppendBlankFrame("c");
  document::Animation opened;
  opened.m_nRate = 5;
  opened.m_frames.Append(MakeFrameText("o"));
  output::ReplaceWithProject(doc, std::move(opened), {}, {});
  EXPECT_FALSE(doc.m_history.CanUndo());
  EXPECT_FALSE(doc.m_history.Undo(doc.m_animation.m_frames));
  EXPECT_EQ(doc.m_animation.m_frames.At(0)->Text(), "o");
}

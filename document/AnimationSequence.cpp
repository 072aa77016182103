// The document's commands that shape the sequence, and undo and redo.
#include <utility>
#include <variant>

#include "document/AnimationDocument.h"

namespace document {

namespace {

bool PassesLimit(const FrameList& frames, long long added) {
  return added > kMaxFrames - static_cast<long long>(frames.Size());
}

}  // namespace

void AnimationDocument::KeepEditTextWithNextStep(int shown, std::string text) {
  m_pendingEdit = PendingEdit{shown, std::move(text)};
}

SequenceOutcome AnimationDocument::RunSequence(const SequenceCommand& c) {
  const FrameList& frames = m_animation.m_frames;
  const int size = FrameCount();
  const AreaPositions& areas = m_areasShown;
  if (c.first < 0 || c.count < 1 || c.first + c.count > size) {
    Do(std::nullopt);
    return SequenceOutcome::kNoSuchFrame;
  }
  const int last = c.first + c.count - 1;
  std::optional<Step> step;
  SequenceOutcome refused = SequenceOutcome::kNothing;
  switch (c.action) {
    case SequenceAction::kInsertBlank:
      if (PassesLimit(frames, 1)) refused = SequenceOutcome::kFrameLimit;
      step = InsertBlankFrameStep(frames, last, areas);
      break;
    case SequenceAction::kDuplicate:
      if (PassesLimit(frames, c.count)) refused = SequenceOutcome::kFrameLimit;
      step = c.count == 1 ? DuplicateFrameStep(frames, c.first, areas)
                          : DuplicateFramesStep(frames, c.first, c.count, areas);
      break;
    case SequenceAction::kMoveEarlier:
      step = MoveFramesStep(frames, c.first, c.count, c.first - 1, areas);
      break;
    case SequenceAction::kMoveLater:
      step = MoveFramesStep(frames, c.first, c.count, c.first + 1, areas);
      break;
    case SequenceAction::kMoveTo:
      if (c.number < 1 || c.number - 1 > size - c.count) refused = SequenceOutcome::kNoSuchFrame;
      step = MoveFramesStep(frames, c.first, c.count, c.number - 1, areas);
      break;
    case SequenceAction::kHold:
      if (c.number >= 1 && PassesLimit(frames, static_cast<long long>(c.count) * c.number))
        refused = SequenceOutcome::kFrameLimit;
      step = HoldFramesStep(frames, c.first, c.count, c.number, areas);
      break;
    case SequenceAction::kDelete:
      if (c.count >= size) refused = SequenceOutcome::kLastFrames;
      step = DeleteFramesStep(frames, c.first, c.count, areas);
      break;
  }
  const AreaPositions after = step ? step->after : areas;
  if (!Do(std::move(step))) return refused;
  m_areasShown = after;
  return SequenceOutcome::kDone;
}

std::optional<AnimationDocument::HistoryMove> AnimationDocument::UndoStep() {
  m_pendingEdit.reset();
  const std::optional<AreaPositions> areas = m_history.Undo(m_animation.m_frames);
  if (!areas) return std::nullopt;
  HistoryMove move{*areas, TextAt(areas->edit)};
  // What the step stored into the edit area's frame is what the edit area
  // held: its first exchange there now holds that text again.
  if (const Step* undone = m_history.RedoStep()) {
    for (const FrameChange& change : undone->changes) {
      const auto* swap = std::get_if<TextSwap>(&change);
      if (!swap || swap->position != areas->edit) continue;
      if (swap->text) move.editText = *swap->text;
      break;
    }
  }
  m_areasShown = *areas;
  return move;
}

std::optional<AnimationDocument::HistoryMove> AnimationDocument::RedoStep() {
  m_pendingEdit.reset();
  const std::optional<AreaPositions> areas = m_history.Redo(m_animation.m_frames);
  if (!areas) return std::nullopt;
  m_areasShown = *areas;
  return HistoryMove{*areas, TextAt(areas->edit)};
}

}  // namespace document

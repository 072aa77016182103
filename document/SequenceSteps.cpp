#include "document/SequenceSteps.h"

#include <algorithm>

#include "document/AnimationDocument.h"
#include "document/FrameChange.h"
#include "document/FrameSteps.h"

namespace document {

namespace {

bool IsBlock(const FrameList& frames, int first, int count) {
  return first >= 0 && count >= 1 && static_cast<std::size_t>(first) < frames.Size() &&
         static_cast<std::size_t>(count) <= frames.Size() - static_cast<std::size_t>(first);
}

// added frames more still fit under kMaxFrames.
bool Fits(const FrameList& frames, long long added) {
  return added <= kMaxFrames - static_cast<long long>(frames.Size());
}

Step MakeStep(StepKind kind, AreaPositions before, AreaPositions after) {
  Step step;
  step.kind = kind;
  step.before = before;
  step.after = after;
  return step;
}

int ShiftedBy(int position, int at, int n) { return position >= at ? position + n : position; }

int AfterDelete(int position, int first, int count, int remaining) {
  if (position < first) return position;
  if (position >= first + count) return position - count;
  return std::min(first, remaining - 1);
}

}  // namespace

int HeldPosition(int position, int first, int count, int n) {
  if (position < first) return position;
  if (position < first + count) return first + (position - first) * (n + 1);
  return position + count * n;
}

std::optional<Step> DuplicateFramesStep(const FrameList& frames, int first, int count,
                                        const AreaPositions& areas) {
  if (!IsBlock(frames, first, count) || !Fits(frames, count)) return std::nullopt;
  const int at = first + count;
  Step step = MakeStep(StepKind::kDuplicateFrame, areas, {at, ShiftedBy(areas.preview, at, count)});
  const auto n = static_cast<std::size_t>(count);
  step.changes.emplace_back(FrameInsert{static_cast<std::size_t>(at), n,
                                        CollectRuns(frames, static_cast<std::size_t>(first), n)});
  return step;
}

std::optional<Step> HoldFramesStep(const FrameList& frames, int first, int count, int n,
                                   const AreaPositions& areas) {
  if (n < 1 || !IsBlock(frames, first, count)) return std::nullopt;
  if (!Fits(frames, static_cast<long long>(count) * n)) return std::nullopt;
  if (count == 1) return HoldFrameStep(frames, first, n, areas);
  Step step = MakeStep(
      StepKind::kHoldFrame, areas,
      {HeldPosition(areas.edit, first, count, n), HeldPosition(areas.preview, first, count, n)});
  // The block goes out and comes back with each picture n + 1 times: two
  // shifts of the frames after it, whatever the block's length.
  const auto f = static_cast<std::size_t>(first);
  const auto c = static_cast<std::size_t>(count);
  FrameInsert held{f, c * static_cast<std::size_t>(n + 1), {}};
  for (std::size_t i = 0; i < c; ++i)
    AddToRuns(held.runs, frames.At(first + static_cast<int>(i))->pText,
              static_cast<std::size_t>(n + 1));
  held.runs.shrink_to_fit();
  step.changes.emplace_back(FrameErase{f, c, {}});
  step.changes.emplace_back(std::move(held));
  return step;
}

std::optional<Step> DeleteFramesStep(const FrameList& frames, int first, int count,
                                     const AreaPositions& areas) {
  if (!IsBlock(frames, first, count)) return std::nullopt;
  const int remaining = static_cast<int>(frames.Size()) - count;
  if (remaining < 1) return std::nullopt;
  Step step = MakeStep(StepKind::kDeleteFrames, areas,
                       {AfterDelete(areas.edit, first, count, remaining),
                        AfterDelete(areas.preview, first, count, remaining)});
  step.changes.emplace_back(
      FrameErase{static_cast<std::size_t>(first), static_cast<std::size_t>(count), {}});
  return step;
}

}  // namespace document

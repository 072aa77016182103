#include "document/FrameSteps.h"

#include <algorithm>
#include <utility>

#include "document/AnimationDocument.h"
#include "document/Refresh.h"

namespace document {

namespace {

int Count(const FrameList& frames) { return static_cast<int>(frames.Size()); }

// The node the edit area's text goes into: the frame at the position, or
// the last frame (the head when there is none) when it names none.
int EditedPosition(const FrameList& frames, int editPosition) {
  if (editPosition >= 0 && editPosition < Count(frames)) return editPosition;
  return Count(frames) - 1;
}

Step MakeStep(StepKind kind, AreaPositions before, AreaPositions after) {
  Step step;
  step.kind = kind;
  step.before = before;
  step.after = after;
  return step;
}

FrameInsert Copies(std::size_t position, const FrameText& text, std::size_t count) {
  return FrameInsert{position, count, TextRuns{TextRun{text, count}}};
}

// FrameList::Erase(first, count) as the document calls it, with its ints
// taken as sizes: a first past the end or no count erases nothing, a count
// past the end stops there.
std::optional<Step> EraseStep(const FrameList& frames, StepKind kind, int first, int count,
                              const StepContext& at) {
  // A first frame before the list or a count below one (two bounds that
  // are equal or next to each other) names no frame to delete.
  if (first < 0 || count <= 0) return std::nullopt;
  const auto f = static_cast<std::size_t>(first);
  auto n = static_cast<std::size_t>(count);
  if (f >= frames.Size()) return std::nullopt;
  n = std::min(n, frames.Size() - f);
  Step step = MakeStep(kind, at.areas, AreasAfterRefresh(frames.Size() - n, at.previewFollows));
  step.changes.emplace_back(FrameErase{f, n, {}});
  return step;
}

// Where a position goes when n frames are inserted at position at.
int Shifted(int position, std::size_t at, std::size_t n) {
  if (position < 0 || static_cast<std::size_t>(position) < at) return position;
  return position + static_cast<int>(n);
}

// Where a position goes when a block moves (see FrameList::Move).
int Moved(int position, std::size_t first, std::size_t count, std::size_t to) {
  if (position < 0) return position;
  auto p = static_cast<std::size_t>(position);
  if (p >= first && p < first + count) return static_cast<int>(to + (p - first));
  if (p >= first + count) p -= count;
  if (p >= to) p += count;
  return static_cast<int>(p);
}

bool IsFrame(const FrameList& frames, int position) {
  return position >= 0 && position < Count(frames);
}

bool Fits(const FrameList& frames, long long added) { return added <= kMaxFrames - Count(frames); }

}  // namespace

AreaPositions AreasAfterRefresh(std::size_t frames, bool previewFollows) {
  const int n = static_cast<int>(frames);
  const RefreshFigures f = ComputeRefresh(n, 0, previewFollows ? 1 : 0);
  AreaPositions areas;
  areas.edit = f.editSelection;
  const bool valid = f.previewSelection >= 0 && f.previewSelection < f.frames;
  areas.preview = f.previewFollows && valid ? f.previewSelection : -1;
  return areas;
}

std::optional<Step> AppendBlankFrameStep(const FrameList& frames, const std::string& editText,
                                         const StepContext& at) {
  if (Count(frames) >= kMaxFrames) return std::nullopt;
  Step step = MakeStep(StepKind::kAppendBlankFrame, at.areas,
                       AreasAfterRefresh(frames.Size() + 1, at.previewFollows));
  step.changes.emplace_back(
      TextSwap{EditedPosition(frames, at.areas.edit), MakeFrameText(editText)});
  step.changes.emplace_back(Copies(frames.Size(), EmptyFrameText(), 1));
  return step;
}

std::optional<Step> AppendCopiesStep(const FrameList& frames, StepKind kind,
                                     const std::string& editText, int count,
                                     const StepContext& at) {
  if (!Fits(frames, count)) return std::nullopt;
  const std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 0;
  const FrameText text = MakeFrameText(editText);
  Step step = MakeStep(kind, at.areas, AreasAfterRefresh(frames.Size() + n, at.previewFollows));
  step.changes.emplace_back(TextSwap{EditedPosition(frames, at.areas.edit), text});
  if (n > 0) step.changes.emplace_back(Copies(frames.Size(), text, n));
  return step;
}

std::optional<Step> StoreFrameStep(const FrameList& frames, const std::string& text,
                                   const AreaPositions& areas) {
  const FrameNode* node = frames.At(areas.edit);
  // Storing what the frame holds already changes nothing: no step to undo.
  if (!node || node->Text() == text) return std::nullopt;
  Step step = MakeStep(StepKind::kStoreFrame, areas, areas);
  step.changes.emplace_back(TextSwap{std::max(areas.edit, -1), MakeFrameText(text)});
  return step;
}

std::optional<Step> KeepEditTextStep(const FrameList& frames, int shownPosition, std::string text,
                                     const AreaPositions& areas) {
  Step step = MakeStep(StepKind::kKeepEditText, areas, areas);
  KeepEditTextFirst(step, frames, shownPosition, std::move(text));
  if (step.changes.empty()) return std::nullopt;
  return step;
}

void KeepEditTextFirst(Step& step, const FrameList& frames, int shownPosition, std::string text) {
  if (shownPosition < 0) return;
  const FrameNode* node = frames.At(shownPosition);
  if (!node || node->Text() == text) return;
  step.changes.insert(step.changes.begin(),
                      TextSwap{shownPosition, MakeFrameText(std::move(text))});
}

std::optional<Step> DeleteLastFrameStep(const FrameList& frames, const StepContext& at) {
  return EraseStep(frames, StepKind::kDeleteLastFrame, Count(frames) - 1, 1, at);
}

std::optional<Step> DeleteLastFramesStep(const FrameList& frames, int n, const StepContext& at) {
  return EraseStep(frames, StepKind::kDeleteLastFrames, Count(frames) - n, n, at);
}

std::optional<Step> DeleteBetweenStep(const FrameList& frames, int a, int b,
                                      const StepContext& at) {
  const int lo = std::min(a, b);
  const int hi = std::max(a, b);
  return EraseStep(frames, StepKind::kDeleteBetween, lo, hi - lo - 1, at);
}

std::optional<Step> DeleteFrameStep(const FrameList& frames, int number, const StepContext& at) {
  return EraseStep(frames, StepKind::kDeleteFrame, number - 1, 1, at);
}

std::optional<Step> AppendFramesStep(const FrameList& frames, StepKind kind,
                                     const std::vector<FrameText>& texts, const StepContext& at) {
  if (texts.empty() || !Fits(frames, static_cast<long long>(texts.size()))) return std::nullopt;
  FrameInsert insert{frames.Size(), texts.size(), {}};
  for (const FrameText& text : texts) AddToRuns(insert.runs, text);
  insert.runs.shrink_to_fit();
  Step step =
      MakeStep(kind, at.areas, AreasAfterRefresh(frames.Size() + texts.size(), at.previewFollows));
  step.changes.emplace_back(std::move(insert));
  return step;
}

std::optional<Step> InsertBlankFrameStep(const FrameList& frames, int position,
                                         const AreaPositions& areas) {
  if (position < -1 || position >= Count(frames) || !Fits(frames, 1)) return std::nullopt;
  const auto at = static_cast<std::size_t>(position + 1);
  Step step = MakeStep(StepKind::kInsertBlankFrame, areas,
                       {static_cast<int>(at), Shifted(areas.preview, at, 1)});
  step.changes.emplace_back(Copies(at, EmptyFrameText(), 1));
  return step;
}

std::optional<Step> DuplicateFrameStep(const FrameList& frames, int position,
                                       const AreaPositions& areas) {
  if (!IsFrame(frames, position) || !Fits(frames, 1)) return std::nullopt;
  const auto at = static_cast<std::size_t>(position + 1);
  Step step = MakeStep(StepKind::kDuplicateFrame, areas,
                       {static_cast<int>(at), Shifted(areas.preview, at, 1)});
  step.changes.emplace_back(Copies(at, frames.At(position)->pText, 1));
  return step;
}

std::optional<Step> HoldFrameStep(const FrameList& frames, int position, int n,
                                  const AreaPositions& areas) {
  if (!IsFrame(frames, position) || n < 1 || !Fits(frames, n)) return std::nullopt;
  const auto at = static_cast<std::size_t>(position + 1);
  const auto count = static_cast<std::size_t>(n);
  Step step = MakeStep(StepKind::kHoldFrame, areas,
                       {Shifted(areas.edit, at, count), Shifted(areas.preview, at, count)});
  step.changes.emplace_back(Copies(at, frames.At(position)->pText, count));
  return step;
}

std::optional<Step> MoveFramesStep(const FrameList& frames, int first, int count, int to,
                                   const AreaPositions& areas) {
  if (first < 0 || count < 1 || to < 0 || first == to) return std::nullopt;
  const auto f = static_cast<std::size_t>(first);
  const auto n = static_cast<std::size_t>(count);
  const auto t = static_cast<std::size_t>(to);
  if (f + n > frames.Size() || t + n > frames.Size()) return std::nullopt;
  Step step = MakeStep(StepKind::kMoveFrames, areas,
                       {Moved(areas.edit, f, n, t), Moved(areas.preview, f, n, t)});
  step.changes.emplace_back(BlockMove{f, n, t});
  return step;
}

}  // namespace document

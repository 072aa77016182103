#include "document/FrameChange.h"

#include <type_traits>
#include <utility>

namespace document {

namespace {

bool Swap(FrameList& frames, TextSwap& swap) {
  if (swap.position < -1) return false;
  FrameNode* node = frames.At(swap.position);
  if (!node) return false;
  std::swap(node->pText, swap.text);
  return true;
}

// The runs' frames go in at position in one shift of the nodes after it;
// the runs are let go of once the list holds their texts.
bool PutIn(FrameList& frames, std::size_t position, std::size_t count, TextRuns& runs) {
  if (position > frames.Size() || RunsLength(runs) != count) return false;
  if (count == 0) return true;
  frames.Insert(position, runs.front().text, count);
  std::size_t at = position + runs.front().count;
  for (std::size_t r = 1; r < runs.size(); ++r)
    for (std::size_t i = 0; i < runs[r].count; ++i)
      frames.At(static_cast<int>(at++))->pText = runs[r].text;
  TextRuns().swap(runs);
  return true;
}

// The frames at [first, first + count) come out of the list into runs.
bool TakeOut(FrameList& frames, std::size_t first, std::size_t count, TextRuns& runs) {
  if (first > frames.Size() || count > frames.Size() - first) return false;
  runs = CollectRuns(frames, first, count);
  frames.Erase(first, count);
  return true;
}

}  // namespace

std::size_t RunsLength(const TextRuns& runs) {
  std::size_t n = 0;
  for (const TextRun& run : runs) n += run.count;
  return n;
}

void AddToRuns(TextRuns& runs, const FrameText& text, std::size_t count) {
  if (count == 0) return;
  if (!runs.empty() && runs.back().text == text)
    runs.back().count += count;
  else
    runs.push_back(TextRun{text, count});
}

TextRuns CollectRuns(const FrameList& frames, std::size_t first, std::size_t count) {
  const auto begin = frames.begin() + static_cast<std::ptrdiff_t>(first);
  const auto end = begin + static_cast<std::ptrdiff_t>(count);
  // Counted first, so the runs take no more room than they need.
  std::size_t n = 0;
  for (auto it = begin; it != end; ++it)
    if (it == begin || it->pText != (it - 1)->pText) ++n;
  TextRuns runs;
  runs.reserve(n);
  for (auto it = begin; it != end; ++it) AddToRuns(runs, it->pText);
  return runs;
}

bool ApplyChange(FrameList& frames, FrameChange& change) {
  return std::visit(
      [&](auto& c) -> bool {
        using C = std::decay_t<decltype(c)>;
        if constexpr (std::is_same_v<C, TextSwap>)
          return Swap(frames, c);
        else if constexpr (std::is_same_v<C, FrameInsert>)
          return PutIn(frames, c.position, c.count, c.runs);
        else if constexpr (std::is_same_v<C, FrameErase>)
          return TakeOut(frames, c.first, c.count, c.runs);
        else
          return frames.Move(c.first, c.count, c.to);
      },
      change);
}

bool UndoChange(FrameList& frames, FrameChange& change) {
  return std::visit(
      [&](auto& c) -> bool {
        using C = std::decay_t<decltype(c)>;
        if constexpr (std::is_same_v<C, TextSwap>)
          return Swap(frames, c);
        else if constexpr (std::is_same_v<C, FrameInsert>)
          return TakeOut(frames, c.position, c.count, c.runs);
        else if constexpr (std::is_same_v<C, FrameErase>)
          return PutIn(frames, c.first, c.count, c.runs);
        else
          return frames.Move(c.to, c.count, c.first);
      },
      change);
}

}  // namespace document

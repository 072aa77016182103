#pragma once
// The primitive changes a history step makes to a frame list: set the text
// of one node, insert frames, erase frames, move a block.
//
// A change keeps exactly what it needs to be undone and redone, and only
// while it needs it: the texts that are out of the list in the state the
// change is in. Setting a text keeps the text the node does not hold (the
// old one once applied, the new one once undone); inserting keeps the
// inserted texts until applied and again once undone; erasing keeps the
// erased texts once applied. Applying and undoing hand texts between the
// list and the change, so a change never holds a text the list
// also holds because of it, and never copies the list.
//
// Texts are kept as runs: frames in a row that share one text are one
// (text, count) pair, so 2,400 delay frames or a million copies of one
// picture cost one run.
#include <cstddef>
#include <variant>
#include <vector>

#include "document/FrameList.h"

namespace document {

// count frames in a row sharing text.
struct TextRun {
  FrameText text;
  std::size_t count = 0;
};
using TextRuns = std::vector<TextRun>;

// The node at position (-1: the head's slot) takes text; the text it had
// takes text's place here, so undoing is the same exchange.
struct TextSwap {
  int position = -1;
  FrameText text;
};

// count frames inserted so that the first is at position. runs holds their
// texts while they are out of the list (before the change is applied and
// after it is undone) and is empty while they are in it.
struct FrameInsert {
  std::size_t position = 0;
  std::size_t count = 0;
  TextRuns runs;
};

// The count frames at [first, first + count) taken out. runs holds their
// texts while they are out of the list (once applied) and is empty while
// they are in it.
struct FrameErase {
  std::size_t first = 0;
  std::size_t count = 0;
  TextRuns runs;
};

// The block of count frames at first moved to start at to, as
// FrameList::Move; nothing to keep.
struct BlockMove {
  std::size_t first = 0;
  std::size_t count = 0;
  std::size_t to = 0;
};

using FrameChange = std::variant<TextSwap, FrameInsert, FrameErase, BlockMove>;

// Apply the change to frames, or undo it there (frames as the change left
// them). False, with nothing changed, when the change does not fit the list
// as it is: a node that is not there, a range or a block past the end, runs
// that do not add up to the count.
bool ApplyChange(FrameList& frames, FrameChange& change);
bool UndoChange(FrameList& frames, FrameChange& change);

// The texts of frames [first, first + count) as runs; the range must lie in
// the list.
TextRuns CollectRuns(const FrameList& frames, std::size_t first, std::size_t count);
// The runs' frames in all.
std::size_t RunsLength(const TextRuns& runs);
// Appends count frames of text to runs, joining the last run when it shares
// the text.
void AddToRuns(TextRuns& runs, const FrameText& text, std::size_t count = 1);

// The texts a change holds now (for the history's accounting), each run's or
// swap's text once, nulls left out.
template <typename Visit>
void ForEachHeldText(const FrameChange& change, Visit&& visit) {
  if (const auto* swap = std::get_if<TextSwap>(&change)) {
    if (swap->text) visit(swap->text);
    return;
  }
  const TextRuns* runs = nullptr;
  if (const auto* insert = std::get_if<FrameInsert>(&change)) runs = &insert->runs;
  if (const auto* erase = std::get_if<FrameErase>(&change)) runs = &erase->runs;
  if (runs)
    for (const TextRun& run : *runs)
      if (run.text) visit(run.text);
}

}  // namespace document

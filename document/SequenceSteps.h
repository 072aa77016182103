#pragma once
// The steps that shape the sequence of a block of frames chosen together:
// duplicate, hold and delete a block (moving one is MoveFramesStep). Each
// keeps the areas on the frames they showed wherever the change moves them,
// except where said. Nothing (no step) when the block is not all in the
// list, when nothing would change, or past kMaxFrames.
#include <optional>

#include "document/FrameList.h"
#include "document/HistoryStep.h"

namespace document {

// The frame commands that shape the sequence, each on a block of frames:
// the frame the edit area shows (a block of one) or the frames chosen in
// the strip.
enum class SequenceAction {
  kInsertBlank,  // a blank frame right after the block; the edit area shows it
  kDuplicate,    // a copy of the block right after it
  kMoveEarlier,  // the block one place earlier
  kMoveLater,    // ... one place later
  kMoveTo,       // ... so that its first frame becomes frame `number`
  kHold,         // `number` copies of each frame after it
  kDelete,       // the block taken out (never every frame)
};

struct SequenceCommand {
  SequenceAction action = SequenceAction::kInsertBlank;
  int first = 0;   // the block's first position
  int count = 1;   // its frames
  int number = 0;  // kMoveTo: the frame number; kHold: the copies of each frame
};

enum class SequenceOutcome {
  kDone,         // one step done
  kNothing,      // nothing to change (the first frame moved earlier, ...)
  kFrameLimit,   // the frames would pass kMaxFrames
  kNoSuchFrame,  // kMoveTo a number the block cannot start at, or no such block
  kLastFrames,   // kDelete of every frame
};

// A copy of the block of count frames at first right after it; the edit
// area shows the first copy. One frame is DuplicateFrameStep.
std::optional<Step> DuplicateFramesStep(const FrameList& frames, int first, int count,
                                        const AreaPositions& areas);
// n copies of each frame of the block right after that frame, so the
// passage plays n + 1 times as long. An area on a frame of the block stays
// on that frame, now further on.
std::optional<Step> HoldFramesStep(const FrameList& frames, int first, int count, int n,
                                   const AreaPositions& areas);
// The block taken out. Never the whole list: one frame always stays. An
// area on a deleted frame goes to the frame that takes the block's place
// (the new last frame when the block was at the end).
std::optional<Step> DeleteFramesStep(const FrameList& frames, int first, int count,
                                     const AreaPositions& areas);

// Where a position goes when the block of count frames at first is held n
// times (see HoldFramesStep); -1 stays -1.
int HeldPosition(int position, int first, int count, int n);

}  // namespace document

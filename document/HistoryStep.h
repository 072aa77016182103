#pragma once
// One undoable step of the frame list: what command it was, the primitive
// changes it makes (see FrameChange) and which frame each of the window's
// two areas shows before and after it.
#include <cstdint>
#include <vector>

#include "document/FrameChange.h"

namespace document {

// The commands a step can come from.
enum class StepKind : std::uint8_t {
  kAppendBlankFrame,  // a blank frame at the end
  kAddKeyFrame,       // the picture stored and one copy at the end
  kFillSecond,        // ... a second's worth of copies
  kFillHalfSecond,    // ... half a second's worth
  kAddDelayFrames,    // ... the delay field's worth
  kStoreFrame,        // Ctrl+S
  kKeepEditText,      // the edit area's text kept in its frame as it moves
  kDeleteLastFrame,   // Ctrl+Del
  kDeleteLastFrames,  // the last n frames
  kDeleteBetween,     // the frames between two frames
  kDeleteFrame,       // one frame by number
  kAppendProject,     // opening a project in appending mode
  kImportText,        // a text file's pictures appended
  kInsertBlankFrame,  // a blank frame after a frame
  kDuplicateFrame,    // a copy of a frame after it
  kMoveFrames,        // a frame or a block moved
  kHoldFrame,         // n copies of a frame after it
  kDeleteFrames,      // a frame or a block chosen in the strip
  kImportPictures,    // frames drawn from pictures or a clip appended
};

// The step's name as the user reads it (UTF-8, res/Texts.h), e.g. after
// "撤销" in a menu.
const char* StepName(StepKind kind);

// The selector positions of the preview and the edit area: p shows frame
// p + 1, -1 shows none.
struct AreaPositions {
  int edit = -1;
  int preview = -1;
  friend bool operator==(const AreaPositions&, const AreaPositions&) = default;
};

struct Step {
  StepKind kind = StepKind::kStoreFrame;
  // Applied in order, undone in the reverse order.
  std::vector<FrameChange> changes;
  // Undoing shows the frames before, doing and redoing those after.
  AreaPositions before;
  AreaPositions after;
};

}  // namespace document

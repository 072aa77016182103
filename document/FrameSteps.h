#pragma once
// The steps of the frame commands, built from the list as it is and the
// positions the window's areas show, to be done in a History.
//
// The steps of today's commands make exactly the frames the commands make
// (AnimationDocument's, and output::AppendProject for opening with append
// and the text import): the same texts in the same places, the same head
// text, the same rule for the frame the edit area shows. Their "after"
// positions are where the window's refresh of the frame controls leaves
// the areas (AreasAfterRefresh), except for Ctrl+S and keeping the edit
// text, which move nothing. Whether an animation exists is the caller's to
// check, as the window does today.
//
// Nothing (no step) means the command changes no frame, or is refused: the
// appends past kMaxFrames, which the caller tells apart as it does today
// (AtFrameLimit, the count against kMaxFrames).
#include <optional>
#include <string>
#include <vector>

#include "document/FrameList.h"
#include "document/HistoryStep.h"

namespace document {

// Where a command starts: the positions the areas show (the edit area's is
// the frame the command stores the edit area's text into: the last frame,
// or the head, where it names none), and whether the preview follows new
// frames (the preview-mode setting is 1, see ComputeRefresh).
struct StepContext {
  AreaPositions areas;
  bool previewFollows = true;
};

// Where the areas stand after the frame controls are refreshed for a list of
// that many frames: the edit area on the last frame, the preview on the one
// before it when it follows and there is one, on none otherwise.
AreaPositions AreasAfterRefresh(std::size_t frames, bool previewFollows);

// --- today's commands ---------------------------------------------------------
// A blank frame at the end: AppendBlankFrame(editText, areas.edit). Nothing
// at the frame limit.
std::optional<Step> AppendBlankFrameStep(const FrameList& frames, const std::string& editText,
                                         const StepContext& at);
// The picture stored and count copies of it at the end, for the key frame,
// the second, the half second and the delay (kind says which):
// AppendCopiesOfLast(editText, count, areas.edit). Nothing when the count
// would pass kMaxFrames.
std::optional<Step> AppendCopiesStep(const FrameList& frames, StepKind kind,
                                     const std::string& editText, int count, const StepContext& at);
// Ctrl+S: StoreEditText(areas.edit, text). Nothing when the position names no
// node (-1 and below name the head) or the node holds that text already.
std::optional<Step> StoreFrameStep(const FrameList& frames, const std::string& text,
                                   const AreaPositions& areas);
// The edit area's text kept in the frame it showed as it moves:
// KeepEditText(shownPosition, text). Nothing when no frame is shown or the
// frame holds that text already.
std::optional<Step> KeepEditTextStep(const FrameList& frames, int shownPosition, std::string text,
                                     const AreaPositions& areas);
// The same change put first into another step, for the commands that keep
// the edit area's text before they change the frames (deleting, appending a
// project or a text), so undoing the step takes both back. (The window
// still keeps the text as a step of its own before these commands.)
void KeepEditTextFirst(Step& step, const FrameList& frames, int shownPosition, std::string text);
// Deleting: EraseLastFrame(), EraseLastFrames(n), EraseBetween(a, b),
// EraseFrameNumber(number). Nothing when no frame goes.
std::optional<Step> DeleteLastFrameStep(const FrameList& frames, const StepContext& at);
std::optional<Step> DeleteLastFramesStep(const FrameList& frames, int n, const StepContext& at);
std::optional<Step> DeleteBetweenStep(const FrameList& frames, int a, int b, const StepContext& at);
std::optional<Step> DeleteFrameStep(const FrameList& frames, int number, const StepContext& at);
// Frames appended at the end, for opening a project in appending mode
// (kAppendProject) or a text's pictures (kImportText): output::AppendProject.
// Nothing when there are none or the total would pass kMaxFrames.
std::optional<Step> AppendFramesStep(const FrameList& frames, StepKind kind,
                                     const std::vector<FrameText>& texts, const StepContext& at);

// --- commands to come -----------------------------------------------------------
// These keep each area on the frame it showed (wherever the change moves
// it), except where said. Nothing when a position names no frame, when the
// change would do nothing, or past kMaxFrames.
//
// A blank frame right after the frame at position (-1: before the first);
// the edit area shows it.
std::optional<Step> InsertBlankFrameStep(const FrameList& frames, int position,
                                         const AreaPositions& areas);
// A copy of the frame at position right after it, sharing its text; the edit
// area shows the copy.
std::optional<Step> DuplicateFrameStep(const FrameList& frames, int position,
                                       const AreaPositions& areas);
// n copies of the frame at position right after it, sharing its text.
std::optional<Step> HoldFrameStep(const FrameList& frames, int position, int n,
                                  const AreaPositions& areas);
// The block of count frames at first moved to start at to in the list that
// results (FrameList::Move): earlier, later or to a number.
std::optional<Step> MoveFramesStep(const FrameList& frames, int first, int count, int to,
                                   const AreaPositions& areas);

}  // namespace document

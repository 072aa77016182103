#pragma once
// The animation being edited: the values the main window's fields show and
// the document state no control shows. Strings are GBK bytes; frame texts
// separate their lines with CR LF.
#include <string>

#include "document/Animation.h"
#include "document/AnimationFiles.h"
#include "document/ExportSession.h"
#include "document/FrameList.h"
#include "document/FrameSteps.h"
#include "document/History.h"
#include "document/SequenceSteps.h"
#include "platform/Clock.h"

namespace document {

// Limits the fields accept when they are copied into the document.
inline constexpr int kMinCanvas = 10;
inline constexpr int kMaxCanvas = 100;
inline constexpr int kMinFrameRate = 1;
inline constexpr int kMaxFrameRate = 100;
inline constexpr int kMinDelay = 0;
inline constexpr int kMaxDelay = 1000;

// The most frames an animation may have: project files claiming more are
// refused, and no command appends past it.
inline constexpr int kMaxFrames = 1000000;

struct AnimationDocument {
  // Values shown in the window's fields and boxes.
  int m_nHigh = kDefaultCanvasHigh;
  int m_nWide = kDefaultCanvasWide;
  int m_nFrameRate = kDefaultFrameRate;
  std::string m_strName = kDefaultAnimName;
  std::string m_strEditText;
  int m_nEditFrame = 1;
  int m_nPreviewFrame = 1;
  std::string m_strPreviewText;
  std::string m_strFrameTotal = "---";
  int m_bLoop = 0;
  int m_bOverwrite = 1;
  int m_nDelay = 0;
  std::string m_strDuration = "---";
  int m_bSaveCode = 0;
  int m_bCompile = 0;
  int m_bSaveProject = 0;
  int m_bEndless = 0;
  int m_bAppend = 0;

  // The current animation. Nothing below is read before the first creation
  // or opening; the start values are only there to be defined.
  int m_bCreated = 0;
  Animation m_animation;
  // The colour lists' selections the animation was created with.
  int m_nBackColor = 0;
  int m_nCharColor = 7;
  // Its files on disk: paths, open code file, what its exports wrote.
  ExportSession m_export;

  // The number of frames: the frame list's own count, never kept beside it.
  int FrameCount() const { return m_animation.FrameCount(); }
  // Frame number (from 1) is there. Before any animation there is none, so
  // no frame is ever looked up in an empty list.
  bool HasFrame(int number) const { return number >= 1 && number <= FrameCount(); }
  // No command may append another frame.
  bool AtFrameLimit() const { return FrameCount() >= kMaxFrames; }
  // The text of the node at a selector position (see FrameList::At): the
  // head's for -1, empty past the end.
  const std::string& TextAt(int position) const;

  // --- creating ("新建") -----------------------------------------------------
  // The fields hold values a new animation takes: a rate within its limits
  // and a canvas of 11 to 100 cells each way.
  bool CreationValuesInRange() const;
  // Creating starts the frames afresh when it overwrites or when there was no
  // animation; otherwise the frames carry over to the new animation.
  bool CreationRestartsFrames(bool existed) const { return m_bOverwrite == 1 || !existed; }
  // The animation the fields describe: their name, canvas and rate, in the
  // colours of colorCode, without frames.
  Animation FieldsAnimation(const std::string& colorCode) const;
  // The fields' values become the current animation's (name, canvas, rate,
  // colours), with the files of paths, named after created. The frames are
  // left alone: see CreationRestartsFrames and RestartFrames.
  void TakeCreation(const AnimationPaths& paths, const platform::LocalTime& created, int backColor,
                    int charColor, const std::string& colorCode);
  // An empty frame list; the next append stores the edit area into the head.
  void RestartFrames() {
    m_history.Clear();
    m_animation.m_frames.Clear();
  }

  // --- the edit area's text ---------------------------------------------------
  // The frame the edit area shows, for a selector position: that frame, or
  // the last frame (the head when there is none) when it names none.

  // Ctrl+S: the text goes into the frame at the edit selector's position;
  // nothing happens without an animation or when the position names no frame.
  void StoreEditText(int editPosition, const std::string& text);
  // Before the edit area moves off the frame at shownPosition (-1: none) its
  // text stays in that frame, as Ctrl+S would keep it. An unchanged text is
  // not stored again, so moving costs no new frame text.
  void KeepEditText(int shownPosition, std::string text);
  // The last frame is the one being edited: the edit area takes its text
  // (when there are frames), so the next save or append keeps it.
  void EditLastFrame();

  // --- appending ----------------------------------------------------------
  // Appending a blank frame: the edit area's text goes into the frame the
  // edit area shows (the last frame, or the head when there is none, where the
  // position names no frame), then an empty frame follows the last
  // one. False, with nothing changed, at the frame limit.
  bool AppendBlankFrame(const std::string& editText, int editPosition = -1);

  // Storing and copying the picture being drawn, count times: the edit
  // area's text goes into the frame the edit area shows (the last frame, or the head when there is
  // none, where the position names no frame) and count frames with the same text follow the last
  // frame. The copies share the text, which is never changed in place. False, with nothing changed,
  // when the animation would pass kMaxFrames.
  bool AppendCopiesOfLast(const std::string& editText, int count, int editPosition = -1,
                          StepKind kind = StepKind::kAddKeyFrame);

  // Frames appended after the last one, sharing the texts of frames (opening
  // a project in appending mode, a text's pictures: kind says which). False,
  // with nothing changed, when the total would pass kMaxFrames.
  bool AppendFrames(const FrameList& frames, StepKind kind);

  // How many copies each bulk command adds (0: the command adds nothing): a
  // second's worth, half a second's worth at the animation's rate, and the
  // delay field's seconds (past the limit it asks for one frame too many, so
  // the append is refused).
  int CopiesForSecond() const { return m_animation.m_nRate > 0 ? m_animation.m_nRate : 0; }
  int CopiesForHalfSecond() const {
    return m_animation.m_nRate / 2 > 0 ? m_animation.m_nRate / 2 : 0;
  }
  int CopiesForDelay() const;

  // --- deleting -----------------------------------------------------------
  // The last frame may go only while another stays.
  bool CanDeleteLastFrame() const { return FrameCount() > 1; }
  // Ctrl+Del, the last n frames, the frames strictly between two frames
  // (two equal or neighbouring bounds leave none), one frame by number;
  // afterwards the edit area shows the last frame (see EditLastFrame).
  void EraseLastFrame();
  void EraseLastFrames(int n);
  // The frames strictly between numbers a and b, in either order: both
  // bounding frames stay.
  void EraseBetween(int a, int b);
  void EraseFrameNumber(int number);

  // --- the history ----------------------------------------------------------
  // Every command above that changes the frames is done as a named step of
  // the history, so it can be undone and redone; creating, opening in
  // replacing mode and the recovery offer start the frames afresh and clear
  // it. Undo and redo give back which frame each area showed.
  History m_history;
  // Which frame each area shows and whether the preview follows new frames
  // (the preview-mode setting is 1), as the window last showed them: what
  // the steps record as the areas' frames before and after.
  AreaPositions m_areasShown;
  bool m_bPreviewFollows = true;

  // --- shaping the sequence, undo and redo (AnimationSequence.cpp) -----------
  // The edit area's text, kept in the frame it shows (shown: a position, -1
  // for none) as part of the next step done, so undoing that step takes both
  // back. A command that then does no step keeps it as a step of its own.
  void KeepEditTextWithNextStep(int shown, std::string text);
  // The text noted above, dropped: the command did not run.
  void ForgetEditText() { m_pendingEdit.reset(); }

  // A command on a block of frames, as one step of the history, from the
  // areas in m_areasShown; once done, m_areasShown holds where they are now.
  SequenceOutcome RunSequence(const SequenceCommand& command);

  // Where undo and redo leave the areas, and the text the edit area takes:
  // after undoing, what it held before the step (the picture being drawn,
  // typed text included); after redoing, its frame's text.
  struct HistoryMove {
    AreaPositions areas;
    std::string editText;
  };
  std::optional<HistoryMove> UndoStep();
  std::optional<HistoryMove> RedoStep();

 private:
  struct PendingEdit {
    int shown = -1;
    std::string text;
  };
  std::optional<PendingEdit> m_pendingEdit;

  StepContext StepsAt(int editPosition) const;
  // Does the step in the history; false when there is none or it does not fit.
  bool Do(std::optional<Step> step);
  // Does the deletion's step (if any), then the edit area takes the last frame.
  void Erase(std::optional<Step> step);
};

}  // namespace document

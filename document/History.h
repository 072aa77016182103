#pragma once
// The history of undoable steps of a frame list.
//
// Doing a step applies its changes to the list and records it; undoing
// takes the latest step back and gives the areas' positions from before it,
// redoing does it again and gives those from after it. A new step drops the
// steps that could have been redone.
//
// The history is bounded by the number of steps it keeps and by the bytes
// it holds beyond the frames, and drops its oldest steps first to stay
// within both. The bytes are what the steps keep alive:
//   - the steps themselves, their changes and runs, and the history's table
//     of the texts its steps hold (one entry per distinct text);
//   - every text the history holds that nothing else does: no frame of the
//     list, no other copy of a list (texts shared with a frame cost nothing);
// sized as glibc's allocator sizes the blocks (see HeapBlockBytes). A step
// too big for the whole byte limit is done but not kept: there is nothing
// to undo behind it.
//
// Which texts only the history holds is judged afresh at every do, undo and
// redo, in time linear in the distinct texts it holds (a text that a copy of
// the list also held when it was judged is counted at the next one).
//
// The history must be the only one changing the list's frames between its
// steps. A list changed behind its back in size is caught: undoing or
// redoing on it clears the history and changes nothing.
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "document/FrameList.h"
#include "document/HistoryStep.h"

namespace document {

struct HistoryLimits {
  // A thousand steps is far more than anyone undoes in one go; each step
  // costs a few dozen bytes when it holds no text.
  std::size_t steps = 1000;
  // 64 MiB: about 30,000 dense 80x25 pictures deleted or replaced (2.2 KiB
  // each with their runs and table entries), against the 2 GB a million
  // distinct pictures take in the list itself.
  std::size_t bytes = std::size_t{64} << 20;
};

// Told of every change a history makes to its list, as it makes it: one
// call per primitive change, right after it was applied or undone (a step
// that does not fit is taken back change by change, and told so too), and
// one when the history forgets its steps, after which the list may be
// replaced behind its back. A watcher can follow the list from these alone.
class HistoryWatcher {
 public:
  virtual ~HistoryWatcher() = default;
  // change was just applied (applied) or undone (!applied) on frames, and is
  // in the state that left it in.
  virtual void Changed(const FrameList& frames, const FrameChange& change, bool applied) = 0;
  virtual void Cleared() = 0;
};

// The bytes glibc's malloc takes for a request of n bytes on a 64-bit
// system: n and its size word, rounded up to 16, at least 32.
std::size_t HeapBlockBytes(std::size_t n);
// The heap bytes of a frame text made by MakeFrameText: the shared owner
// with the string in it, and the string's own buffer when it has one.
std::size_t FrameTextBytes(const std::string& text);

class History {
 public:
  explicit History(HistoryLimits limits = {});
  History(const History&) = delete;
  History& operator=(const History&) = delete;
  // The steps go over; the history moved from is left empty.
  History(History&& other) noexcept;
  History& operator=(History&& other) noexcept;
  ~History();

  // Applies the step's changes to frames and records the step. False, with
  // nothing changed and nothing recorded, when a change does not fit the
  // list.
  bool Do(FrameList& frames, Step step);
  // The latest step undone: the positions the areas had before it. Nothing
  // when there is none, or when the list is not as the step left it (the
  // history is then cleared and the list left alone).
  std::optional<AreaPositions> Undo(FrameList& frames);
  // The step last undone done again: the positions after it. Nothing when
  // there is none or the list is not as the undo left it (cleared, as above).
  std::optional<AreaPositions> Redo(FrameList& frames);

  bool CanUndo() const { return m_done > 0; }
  bool CanRedo() const { return m_done < m_steps.size(); }
  std::size_t UndoCount() const { return m_done; }
  std::size_t RedoCount() const { return m_steps.size() - m_done; }
  // The step Undo or Redo would take, and its name ("" when there is none).
  std::optional<StepKind> NextUndo() const;
  std::optional<StepKind> NextRedo() const;
  const char* UndoName() const;
  const char* RedoName() const;
  // The step Redo would take, as it stands (its changes hold what they
  // wrote, so a caller can tell what an undo took out); null when none.
  const Step* RedoStep() const { return CanRedo() ? &m_steps[m_done].step : nullptr; }

  // Forgets every step (opening or creating an animation starts afresh).
  void Clear();

  // The watcher told of every change from now on (null: none). It stays
  // with this history when its steps are moved to another.
  void Watch(HistoryWatcher* watcher) { m_watcher = watcher; }

  // The bytes held beyond the frames: RecordBytes() + TextBytes().
  std::size_t Bytes() const { return RecordBytes() + m_textBytes; }
  // The steps, their changes and runs, and the table of held texts.
  std::size_t RecordBytes() const;
  // The texts only the history holds.
  std::size_t TextBytes() const { return m_textBytes; }
  const HistoryLimits& Limits() const { return m_limits; }

 private:
  struct Entry {
    Step step;
    std::size_t framesBefore = 0;
    std::size_t framesAfter = 0;
    std::size_t bytes = 0;  // the step and its changes' runs
  };
  // A text some step holds, held here once more, so it can be judged
  // after its steps let go of it; refs counts how many steps hold it.
  struct Held {
    FrameText text;
    std::size_t refs = 0;
    std::size_t bytes = 0;  // counted: nothing but the history holds it
  };
  using Touched = std::vector<const std::string*>;

  // The entry's texts counted in or out of the table (the ones let go of
  // noted in touched), and its bytes.
  void Hold(Entry& entry);
  void Release(Entry& entry, Touched& touched);
  // The touched texts no step holds any more leave the table. The others
  // keep their judgement: dropping a step lets go of a text as many times
  // as it takes from its count in the table.
  void Forget(const Touched& touched);
  // Every text in the table judged afresh: counted when only the history
  // holds it. Done after every do, undo and redo, so a text that something
  // else (a copy of the list) held for a while is counted once let go.
  void Recount();
  // Runs the entry's changes forward or back, keeping the accounting.
  bool Run(FrameList& frames, Entry& entry, bool forward);
  // Drops the oldest step: the first undoable one, or when none is left
  // the last redoable one.
  void DropOldest();
  void DropRedo();
  void KeepWithinLimits();

  bool ApplyAll(FrameList& frames, Step& step);
  bool UndoAll(FrameList& frames, Step& step);
  void Tell(const FrameList& frames, const FrameChange& change, bool applied) {
    if (m_watcher) m_watcher->Changed(frames, change, applied);
  }

  HistoryLimits m_limits;
  HistoryWatcher* m_watcher = nullptr;
  std::deque<Entry> m_steps;
  std::size_t m_done = 0;  // m_steps[0, m_done) can be undone, the rest redone
  std::unordered_map<const std::string*, Held> m_held;
  std::size_t m_stepBytes = 0;
  std::size_t m_textBytes = 0;
};

}  // namespace document

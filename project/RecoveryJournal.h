#pragma once
// The journal beside a recovery copy: what changed since the copy's project
// file (its base) was written, appended as one record per save, so that
// keeping a typed picture or a frame command safe writes what changed and
// not the whole animation.
//
// The file starts with a header naming the base it continues (the base's
// device, inode, size and modification time): a journal left beside
// another base (a crash between replacing the base and the journal) names
// the wrong one and is not read. Then records, each
//   "ZJR1", payload length (8 bytes), CRC-32 of the payload (4 bytes), payload
// (little endian). A record is the state after one save: the animation's
// properties, the frame changes since the record before (frames set,
// inserted, erased, moved; each distinct text once), and the text being
// typed with the frame it stands for. Reading applies records in order and
// stops at the first that is cut short, fails its checksum or does not fit
// the frames: what a crash tore off the end is dropped, never read as data.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/Animation.h"
#include "document/FrameChange.h"
#include "document/History.h"

namespace output {

// One change to the frame list, as the list stands after the one before.
struct JournalOp {
  enum class Kind : std::uint8_t { kSet, kInsert, kErase, kMove };
  Kind kind = Kind::kSet;
  std::size_t first = 0;    // kSet: the frame; kInsert: where the first goes
  std::size_t count = 0;    // kInsert, kErase, kMove
  std::size_t to = 0;       // kMove: as FrameList::Move
  document::TextRuns runs;  // kSet: one run of one frame; kInsert: the texts
};

// The text being typed and the position of the frame it stands for
// (-1: none), as RecoveryCopy::Snapshot reads them.
struct JournalTyping {
  int position = -1;
  std::string text;
  friend bool operator==(const JournalTyping&, const JournalTyping&) = default;
};

// Follows a watched history's changes as journal ops, from a known frame
// count: Count() is what the list holds if nothing changed it behind the
// history's back, which the caller checks against the list.
class JournalRecorder : public document::HistoryWatcher {
 public:
  void Changed(const document::FrameList& frames, const document::FrameChange& change,
               bool applied) override;
  void Cleared() override { m_cleared = true; }

  // Starts afresh from a list of count frames: no ops, not cleared.
  void Reset(std::size_t count);
  bool WasCleared() const { return m_cleared; }
  std::size_t Count() const { return m_count; }
  const std::vector<JournalOp>& Ops() const { return m_ops; }
  // The ops so far, handed over; the count goes on from where they left it.
  std::vector<JournalOp> TakeOps();
  // The bytes the ops' texts take (each run's text counted once).
  std::size_t TextBytes() const { return m_textBytes; }

 private:
  void Add(JournalOp op);

  std::vector<JournalOp> m_ops;
  std::size_t m_count = 0;
  std::size_t m_textBytes = 0;
  bool m_cleared = false;
};

// Which file a journal continues.
struct JournalBase {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // nanoseconds
  friend bool operator==(const JournalBase&, const JournalBase&) = default;
};
// The base as the file open at fd is; nothing when it cannot be told.
std::optional<JournalBase> JournalBaseOf(int fd);

// The journal's first bytes, for the given base.
std::string JournalHeader(const JournalBase& base);
// One record: the animation's properties, the ops, and the typing.
std::string JournalRecord(const document::Animation& properties, const std::vector<JournalOp>& ops,
                          const JournalTyping& typing);

// What reading a journal did.
struct JournalReplay {
  bool matched = false;      // the header names this base
  std::size_t records = 0;   // records applied
  bool droppedTail = false;  // bytes after the last good record were left
};
// Applies the journal's records to animation, read from its base whose
// identity is base, and then the last record's typing (the animation then
// reads as the snapshot saved last). Stops, changing nothing more, at the
// first record that is cut short, fails its checksum or does not fit.
JournalReplay ReplayJournal(std::string_view journal, const JournalBase& base,
                            document::Animation& animation);

// CRC-32 (the one of zlib and PNG).
std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc = 0);

}  // namespace output

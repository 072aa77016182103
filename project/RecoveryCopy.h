#pragma once
// The recovery copy: while an animation has changes that no exported
// project holds, a project file of it is kept in data/, so a crash, a kill
// or a power cut costs at most the last few seconds of work.
//
// Each running tool has its own copy, data/Recovery-<id>.ini, and holds an
// flock on data/Recovery-<id>.lock for as long as it runs. A copy whose lock
// nobody holds was left by a tool that did not end through the exit
// question, and is offered when the next tool starts.
//
// Writing happens on a background thread: the caller takes a snapshot (a copy
// of the animation, whose frame texts are immutable and shared, so the
// snapshot copies pointers, not pictures), and the thread writes it as a
// project beside the copy (.Recovery-<id>.ini.tmp-...) and renames it into
// place.
//
// A copy whose animation's history it watches (Watcher, Keep) writes what
// changed instead: the copy is then a base, written whole once (or, after
// an export or an open, the project file itself, linked in), and
// Recovery-<id>.journal beside it holds a record per save of the frames
// changed since (see RecoveryJournal.h). When the journal would outgrow the
// base, the base is written afresh from a snapshot and the journal starts
// over. Reading an orphan reads its base and then its journal; a copy with
// no journal, as earlier versions left them, reads as its base alone.
//
// Others may write in data/, so no name there is trusted: the lock is opened
// without following a link and must be a plain file, a copy is only ever
// replaced by a rename (a link there is replaced, not written through), and
// only plain files are offered, read without following a link.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "document/Animation.h"
#include "project/ProjectFile.h"
#include "project/RecoveryJournal.h"

namespace output {

// A copy left by a tool that is no longer running. While this object lives
// its lock is held, so a second tool starting at the same moment does not
// offer it too.
class RecoveryOrphan {
 public:
  RecoveryOrphan(std::filesystem::path copy, std::filesystem::path lock, int lockFd);
  RecoveryOrphan(RecoveryOrphan&& other) noexcept;
  RecoveryOrphan& operator=(RecoveryOrphan&& other) noexcept;
  ~RecoveryOrphan();
  const std::filesystem::path& Copy() const { return m_copy; }
  // The journal beside the copy (it may not exist).
  std::filesystem::path Journal() const;

 private:
  friend class RecoveryCopy;
  std::filesystem::path m_copy;
  std::filesystem::path m_lock;
  int m_lockFd = -1;
};

class RecoveryCopy {
 public:
  // dataFolder is the tool's data/ folder; id tells this tool's copy from
  // the others' (the process id). The lock is taken here; when it cannot
  // be (no data/ folder, say) Active() is false and every write fails with
  // a message. A name with anything already under it is passed over.
  // Then what tools no longer running left and nobody will use goes: their
  // half-written copies (a write cut short by a kill) and lock files with
  // no copy beside them. Nothing of a running tool is touched: its files
  // carry its id, and it holds that id's lock.
  RecoveryCopy(std::filesystem::path dataFolder, long id);
  // Waits for a write under way and gives up the lock. The copy stays: a
  // tool that ends without the exit question leaves it to be offered.
  ~RecoveryCopy();
  RecoveryCopy(const RecoveryCopy&) = delete;
  RecoveryCopy& operator=(const RecoveryCopy&) = delete;

  bool Active() const { return m_lockFd >= 0; }
  const std::filesystem::path& Path() const { return m_copy; }

  // The animation as the copy would hold it: a copy sharing its frame
  // texts, with editText as the text of the frame at editPosition (the edit
  // area's frame; ignored when it names no frame), so what is being typed is
  // in the copy too.
  static document::Animation Snapshot(const document::Animation& animation, int editPosition,
                                      std::string_view editText);

  // True when the animation (read as Snapshot reads it) differs from the
  // last snapshot written or marked as saved. Compares frame pointers, and
  // the edit area's frame by its bytes: no text is copied.
  bool Differs(const document::Animation& animation, int editPosition,
               std::string_view editText) const;

  // Starts writing the snapshot in the background. False, with nothing
  // done, while an earlier write is still under way.
  bool StartWrite(document::Animation snapshot);
  // Writes the snapshot before returning (after any write under way).
  void Write(document::Animation snapshot);

  // To be watched by the animation's history (History::Watch) for as long
  // as Keep is used: the frames must change through that history only, or
  // be replaced after it is cleared.
  document::HistoryWatcher& Watcher() { return m_recorder; }
  // The timer's save: when the animation, read as Snapshot reads it, may
  // differ from what the copy holds, starts writing in the background what
  // changed since the last save (a journal record), or the whole animation
  // when there is no base to add to, the history was cleared, or the journal
  // would outgrow the base. The cost on this thread follows the change, but
  // for a base: a snapshot. False, with nothing done, while a write is under
  // way.
  bool Keep(const document::Animation& animation, int editPosition, std::string_view editText);
  // The same, written before returning (after any write under way).
  void KeepNow(const document::Animation& animation, int editPosition, std::string_view editText);
  // Waits for a write under way.
  void Wait();
  // The message of the last failed write (UTF-8), once; empty otherwise.
  std::string TakeError();

  // The animation now equals a project file the user has (exported, opened,
  // or a fresh animation): the copy is removed and nothing is written until
  // the animation changes again. With that file's path (the project just
  // written or read), the first change after this takes the file itself as
  // the base, a hard link to it, as long as it is still the same file (same
  // inode, size and time) and on the same file system; only the journal is
  // written then, not the animation again.
  void MarkSaved(document::Animation snapshot, const std::filesystem::path& project = {});
  // Removes the copy, as the exit question ends the tool with the user's
  // consent.
  void Discard();
  // Whether the copy is on disk (after any write under way).
  bool Exists();

  // Copies in the data folder left by tools that are no longer running,
  // newest first; this tool's own copy is never among them.
  std::vector<RecoveryOrphan> FindOrphans() const;
  // The orphan's copy becomes this tool's copy, holding snapshot (what was
  // read from it).
  bool Adopt(RecoveryOrphan orphan, document::Animation snapshot);
  // Deletes the orphan's copy and its lock file.
  static void Remove(RecoveryOrphan orphan);
  // Reads the orphan's copy, which must still be a plain file, and then its
  // journal, when it has one that continues this copy: records cut short or
  // failing their checksum at its end are left out.
  static ProjectReadResult Read(const RecoveryOrphan& orphan);
  // Keeps a copy that cannot be read, for the user, under a name that is
  // never offered and never replaces anything: Recovery-<id>.unreadable.ini,
  // or .unreadable-2.ini, -3, ... when that is taken (ids repeat). Returns
  // the new name; empty when it could not be moved and stays where it was.
  static std::filesystem::path KeepUnreadable(RecoveryOrphan orphan);

 private:
  // The snapshot written whole as the copy, its journal gone; false after
  // telling why it was not.
  bool WriteNow(const document::Animation& snapshot);
  void SetError(std::string error);
  void RemoveLeftovers();
  // What Keep does on this thread; the write to run, or none.
  std::function<void()> PrepareKeep(const document::Animation& animation, int editPosition,
                                    std::string_view editText);
  // Run by the writer: the base, then a fresh journal continuing it, whose
  // first record (when something is being typed) puts back the stored text
  // of the frame the base holds the typing in.
  void WriteBase(const document::Animation& snapshot, const document::Animation& properties,
                 const JournalTyping& typing, const document::FrameText& stored);
  // The saved project linked in as the base, with a journal of ops since.
  void LinkBase(const std::filesystem::path& project, const JournalBase& saved,
                const document::Animation& properties, const std::vector<JournalOp>& ops,
                const JournalTyping& typing);
  // A fresh journal continuing base, starting with record.
  void StartJournal(const JournalBase& base, const std::string& record);
  void AppendRecord(const std::string& record);
  void JournalError();
  void CloseJournal();

  std::filesystem::path m_folder;
  std::filesystem::path m_copy;
  std::filesystem::path m_lock;
  int m_lockFd = -1;
  // The state the copy holds, or that needs no copy; shared with a write
  // under way. Null until the first write or save.
  std::shared_ptr<const document::Animation> m_written;
  std::thread m_writer;
  std::atomic<bool> m_busy{false};
  std::mutex m_mutex;  // guards m_error
  std::string m_error;

  // Following the history (this thread): the state last kept, as its
  // properties (no frames) and its typing; unknown until the first save.
  std::filesystem::path m_journal;
  JournalRecorder m_recorder;
  bool m_known = false;
  document::Animation m_keptProperties;
  JournalTyping m_keptTyping;
  // The project the state last saved is, while no base was written since.
  std::filesystem::path m_savedProject;
  JournalBase m_savedIdentity;
  // Set by the writer when linking failed: the next save writes the base.
  std::atomic<bool> m_needWhole{false};
  // The writer's: the journal open for appending to a base in place, and
  // the sizes of both. Read here only when no write is under way.
  int m_journalFd = -1;
  std::atomic<bool> m_journalOpen{false};
  std::atomic<std::uint64_t> m_baseBytes{0};
  std::atomic<std::uint64_t> m_journalBytes{0};
};

}  // namespace output

#pragma once
// Replacing a file whole or not at all: the new text is written to a file of
// its own beside the old one, flushed to disk and renamed over it only once
// complete, so a failed or interrupted write never leaves a half-written
// file. The file beside is made as platform/SafeFile makes every new file,
// and put in place by its PlaceFile.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/SafeFile.h"

namespace platform {

// A file written beside its place and renamed over it once complete, so a
// failed write never leaves a half-written file; writes go through a buffer.
// A symbolic link is written through (unless Open is told not to: then the
// link itself is replaced), an existing file's mode is kept, and the data
// and the rename are flushed to disk. Without Commit the partial copy is
// removed. With Replace::No, Commit fails with errno EEXIST when anything is
// at the path by then, and leaves it as it is.
class AtomicFileWriter {
 public:
  AtomicFileWriter() = default;
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // False (with a reason in *error when given) when no file can be made.
  bool Open(const std::filesystem::path& path, std::string* error = nullptr,
            bool throughLink = true, Replace replace = Replace::Yes);
  void Write(std::string_view bytes);
  bool Commit(std::string* error = nullptr);

 private:
  bool Drain();
  std::filesystem::path m_target;
  bool m_throughLink = true;
  Replace m_replace = Replace::Yes;
  std::string m_tmpName;
  int m_fd = -1;
  std::string m_buffer;
  int m_err = 0;                // the first write error
  std::size_t m_unflushed = 0;  // bytes written since the last StartWriteback
};

// Asks the system to start writing the file's changed pages to disk now,
// without waiting, so that a later fsync has little left to wait for: a
// long save overlaps its disk writes with making the rest of the text.
void StartWriteback(int fd);

}  // namespace platform

#include "platform/Executable.h"

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace platform {
namespace {

#if defined(__x86_64__)
constexpr int kMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr int kMachine = EM_AARCH64;
#elif defined(__i386__)
constexpr int kMachine = EM_386;
#elif defined(__arm__)
constexpr int kMachine = EM_ARM;
#elif defined(__riscv)
constexpr int kMachine = EM_RISCV;
#else
constexpr int kMachine = -1;  // any machine
#endif

constexpr unsigned char kClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
constexpr unsigned char kData =
    __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB;

bool Inside(unsigned long long offset, unsigned long long count, unsigned long long each,
            unsigned long long size) {
  if (offset > size) return false;
  if (each != 0 && count > (size - offset) / each) return false;
  return true;
}

bool ReadAt(int fd, void* to, std::size_t bytes, off_t offset) {
  char* p = static_cast<char*>(to);
  while (bytes > 0) {
    const ssize_t got = ::pread(fd, p, bytes, offset);
    if (got <= 0) return false;
    p += got;
    bytes -= static_cast<std::size_t>(got);
    offset += got;
  }
  return true;
}

}  // namespace

bool IsWholeExecutable(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  ElfW(Ehdr) header{};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            static_cast<unsigned long long>(st.st_size) >= sizeof header &&
            ReadAt(fd, &header, sizeof header, 0);
  const auto size = static_cast<unsigned long long>(st.st_size);
  ok = ok && std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
       header.e_ident[EI_CLASS] == kClass && header.e_ident[EI_DATA] == kData &&
       header.e_ident[EI_VERSION] == EV_CURRENT && header.e_version == EV_CURRENT &&
       (kMachine < 0 || header.e_machine == kMachine) &&
       (header.e_type == ET_EXEC || header.e_type == ET_DYN) && header.e_ehsize == sizeof header;
  // A program needs its program headers; the section header table is written
  // last, so a cut-off file loses it first.
  ok = ok && header.e_phnum > 0 && header.e_phentsize == sizeof(ElfW(Phdr)) &&
       Inside(header.e_phoff, header.e_phnum, header.e_phentsize, size) && header.e_shoff != 0 &&
       header.e_shentsize == sizeof(ElfW(Shdr)) &&
       Inside(header.e_shoff, header.e_shnum, header.e_shentsize, size);
  if (ok) {
    std::vector<ElfW(Phdr)> segments(header.e_phnum);
    ok = ReadAt(fd, segments.data(), segments.size() * sizeof(ElfW(Phdr)),
                static_cast<off_t>(header.e_phoff));
    for (const ElfW(Phdr) & s : segments)
      ok = ok && (s.p_type != PT_LOAD || Inside(s.p_offset, s.p_filesz, 1, size));
  }
  ::close(fd);
  return ok;
}

}  // namespace platform

#pragma once
// Frame counts the size-dependent benchmarks run at. The default list keeps
// a run short; ZOETRIX_BENCH_FRAMES="1000,1000000" chooses others (a million
// frames is a project of about 2 GB: mind the disk and the memory).
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

inline std::vector<long> BenchFrameCounts() {
  const char* chosen = std::getenv("ZOETRIX_BENCH_FRAMES");
  if (!chosen || !*chosen) return {1000, 10000, 100000};
  std::vector<long> sizes;
  std::stringstream list(chosen);
  for (std::string item; std::getline(list, item, ',');)
    if (long n = std::atol(item.c_str()); n > 0) sizes.push_back(n);
  return sizes;
}

// The most memory this process has held since it last started a program, in
// bytes (VmHWM: unlike ru_maxrss it does not carry a forking parent's peak
// across exec).
inline double PeakResidentBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) * 1024.0;
  return -1;
}

// The yardstick for reading a file: the whole of it, with plain read calls,
// into a buffer of its size that the caller allocated (and touched) once.
inline void ReadWholeFile(const std::string& path, char* buffer, std::size_t size) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  for (std::size_t got = 0; got < size;) {
    const ssize_t n = ::read(fd, buffer + got, size - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
}

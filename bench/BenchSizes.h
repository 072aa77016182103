#pragma once
// Frame counts the size-dependent benchmarks run at. The default list keeps
// a run short; ZOETRIX_BENCH_FRAMES="1000,1000000" chooses others (a million
// frames is a project of about 2 GB: mind the disk and the memory).
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

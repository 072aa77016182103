// Frames from a text file: the streaming import (read through a fixed
// buffer, split and converted as it comes) against a plain read of the same
// file into one buffer of its size, and against the whole-text way (the file
// read into memory first, then split).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "BenchSizes.h"
#include "platform/Cp936.h"
#include "project/TextFrames.h"

using output::ReadTextFramesFile;
using output::SplitTextFrames;
using output::TextFramesResult;
namespace fs = std::filesystem;

namespace {

// One dense 80 x 25 picture in UTF-8: every row half ASCII, half Chinese
// (40 cells of each), moving with n.
std::string Picture(long n) {
  static const std::string kHan = "走跑跳看山水风云日月星光画面动字符帧中文";  // 20 characters
  std::string out;
  for (int row = 0; row < 25; ++row) {
    for (int i = 0; i < 40; ++i) out += static_cast<char>('!' + (n + row + i) % 94);
    const std::size_t shift = static_cast<std::size_t>((n + row) % 20) * 3;
    out += kHan.substr(shift) + kHan.substr(0, shift);
    out += '\n';
  }
  return out;
}

// n pictures separated by form feed lines, as `zoetrix --play` writes them,
// in a file under the temp folder made once per size.
class Files {
 public:
  ~Files() {
    std::error_code ec;
    if (!m_folder.empty()) fs::remove_all(m_folder, ec);
  }
  const std::string& Get(long n) {
    if (m_folder.empty()) {
      std::string pattern = (fs::temp_directory_path() / "zoetrix-bench-text-XXXXXX").string();
      m_folder = ::mkdtemp(pattern.data()) ? pattern : "/tmp";
    }
    auto [it, made] = m_paths.try_emplace(n);
    if (made) {
      it->second = m_folder + "/frames-" + std::to_string(n) + ".txt";
      std::ofstream out(it->second, std::ios::binary);
      for (long i = 0; i < n; ++i) out << (i ? "\f\n" : "") << Picture(i);
    }
    return it->second;
  }

 private:
  std::string m_folder;
  std::map<long, std::string> m_paths;
};

Files g_files;

void Report(benchmark::State& state, const std::string& path) {
  const auto bytes = static_cast<double>(fs::file_size(path));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
  state.counters["file_MiB"] = bytes / (1 << 20);
  state.counters["us_per_frame"] =
      benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)) / 1e6,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Check(benchmark::State& state, const TextFramesResult& r) {
  if (!r.ok()) state.SkipWithError(r.error.c_str());
  if (static_cast<long>(r.frames.size()) != state.range(0)) state.SkipWithError("frames lost");
}

// The import as the command line and the window run it.
void BM_StreamingImport(benchmark::State& state) {
  const std::string& path = g_files.Get(state.range(0));
  for (auto _ : state) {
    TextFramesResult r = ReadTextFramesFile(path);
    benchmark::DoNotOptimize(r.frames.data());
    Check(state, r);
  }
  Report(state, path);
}

// The whole file read into a buffer of its size first, then split: what the
// import did before it streamed.
void BM_ReadWholeThenSplit(benchmark::State& state) {
  const std::string& path = g_files.Get(state.range(0));
  const auto size = static_cast<std::size_t>(fs::file_size(path));
  for (auto _ : state) {
    std::string text(size, '\0');
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    for (std::size_t got = 0; got < size;) {
      const ssize_t n = ::read(fd, text.data() + got, size - got);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    TextFramesResult r = SplitTextFrames(text);
    benchmark::DoNotOptimize(r.frames.data());
    Check(state, r);
  }
  Report(state, path);
}

// The yardstick: the file read into one buffer of its size, allocated and
// touched before timing.
void BM_PlainRead(benchmark::State& state) {
  const std::string& path = g_files.Get(state.range(0));
  const auto size = static_cast<std::size_t>(fs::file_size(path));
  const std::unique_ptr<char[]> buffer(new char[size]());
  for (auto _ : state) {
    ReadWholeFile(path, buffer.get(), size);
    benchmark::DoNotOptimize(buffer.get());
  }
  Report(state, path);
}

// The conversion floor: the whole text turned into GBK in one call.
void BM_WholeTextToGbk(benchmark::State& state) {
  const std::string& path = g_files.Get(state.range(0));
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (auto _ : state) {
    platform::cp936::GbkResult r = platform::cp936::ToGbk(text);
    benchmark::DoNotOptimize(r.bytes.data());
  }
  Report(state, path);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  for (long n : BenchFrameCounts()) {
    auto add = [n](const char* name, void (*fn)(benchmark::State&)) {
      benchmark::RegisterBenchmark(name, fn)->Arg(n)->Unit(benchmark::kMillisecond)->UseRealTime();
    };
    add("BM_StreamingImport", BM_StreamingImport);
    add("BM_ReadWholeThenSplit", BM_ReadWholeThenSplit);
    add("BM_PlainRead", BM_PlainRead);
    add("BM_WholeTextToGbk", BM_WholeTextToGbk);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

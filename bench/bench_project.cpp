// Project files hold one key per frame. Writing (escape every frame, one
// profile load, the sets, one atomic save) and reading (load, the gets,
// unescape) must grow linearly with the frame count and stay within a small
// factor of plain buffered I/O of the same bytes, measured beside them.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "BenchPictures.h"
#include "platform/Cp936.h"
#include "project/ProjectFile.h"

using document::AnimationDocument;
using document::MakeFrameText;

using output::ProjectReadResult;
using output::ReadProjectFile;
using output::WriteProjectFile;

namespace {

namespace fs = std::filesystem;

// An 80x25 picture of the kind the tool is made for: a figure drawn with
// slashes and backslashes walking over blank rows, a ground line and a
// caption with Chinese text and quotes; rows joined by CR LF. About one
// character in sixty needs escaping, and the picture begins with blanks, so
// its value is written in quotes.
std::string Picture(int n) {
  static const char* const figure[] = {"  /\\_/\\  ", " ( o.o )  ", "  > ^ <   ", " /|   |\\ ",
                                       "(_|   |_) "};
  const std::string caption = platform::cp936::ToGbk("第" + std::to_string(n) + "帧：").bytes +
                              " \"walk\", it's C:\\frames\\" + std::to_string(n);
  const std::size_t column = static_cast<std::size_t>(n % 64);
  std::string out;
  for (int row = 0; row < 25; ++row) {
    std::string line(80, ' ');
    if (row >= 14 && row < 19) {
      const std::string_view part = figure[row - 14];
      line.replace(column, part.size(), part);
    }
    if (row == 19) line.assign(80, '_');
    if (row == 22) line.replace(4, caption.size(), caption);
    if (row) out += "\r\n";
    out += line;
  }
  return out;
}

// A document of n distinct frames, written once to give the bytes and the
// file the reading cases use. Built once per size and kind for the whole
// run: the walking figure above, or dense pictures (DistinctDensePicture:
// every row 40 ASCII and 20 Chinese characters, quotes, backslashes and
// percent signs among them).
struct Fixture {
  fs::path dir;
  fs::path file;
  AnimationDocument doc;
  std::string bytes;

  Fixture(int n, bool dense) {
    dir = fs::temp_directory_path() / ("zoetrix-bench-project-" + std::to_string(::getpid()) + "-" +
                                       std::to_string(n) + (dense ? "-dense" : ""));
    fs::create_directories(dir);
    file = dir / "project.ini";
    doc.m_animation.m_strAnimName = "bench";
    doc.m_animation.m_strColor = "07";
    doc.m_animation.m_nAnimWide = 80;
    doc.m_animation.m_nAnimHigh = 25;
    doc.m_animation.m_nRate = 24;
    for (int i = 0; i < n; ++i)
      doc.m_animation.m_frames.Append(MakeFrameText(dense ? DistinctDensePicture(i) : Picture(i)));
    if (!WriteProjectFile(doc.m_animation, file).ok()) std::abort();
    std::FILE* f = std::fopen(file.c_str(), "rb");
    char buf[65536];
    std::size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, got);
    std::fclose(f);
  }
  ~Fixture() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

// range(0) frames; range(1), where given, 1 for dense pictures.
Fixture& Get(const benchmark::State& state) {
  static std::map<std::pair<int, bool>, std::unique_ptr<Fixture>> fixtures;
  const int n = static_cast<int>(state.range(0));
  const bool dense = state.range(1) != 0;
  const auto found = fixtures.find({n, dense});
  if (found != fixtures.end()) return *found->second;
  fixtures.clear();  // one size at a time: a million frames take gigabytes
  auto& f = fixtures[{n, dense}];
  f = std::make_unique<Fixture>(n, dense);
  return *f;
}

void Report(benchmark::State& state, const Fixture& fx) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fx.bytes.size()));
  state.counters["per_frame"] = benchmark::Counter(
      static_cast<double>(state.iterations() * state.range(0)),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

// The first export of an animation: no file there yet.
void BM_WriteProjectNew(benchmark::State& state) {
  Fixture& fx = Get(state);
  const fs::path out = fx.dir / "new.ini";
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(out);
    state.ResumeTiming();
    if (!WriteProjectFile(fx.doc.m_animation, out).ok()) state.SkipWithError("write failed");
  }
  Report(state, fx);
}

// A later export: the file is loaded, its keys replaced, and saved again.
void BM_WriteProjectOver(benchmark::State& state) {
  Fixture& fx = Get(state);
  for (auto _ : state)
    if (!WriteProjectFile(fx.doc.m_animation, fx.file).ok()) state.SkipWithError("write failed");
  Report(state, fx);
}

void BM_PlainWrite(benchmark::State& state) {
  Fixture& fx = Get(state);
  const fs::path out = fx.dir / "plain.ini";
  for (auto _ : state) {
    std::FILE* f = std::fopen(out.c_str(), "wb");
    std::fwrite(fx.bytes.data(), 1, fx.bytes.size(), f);
    std::fclose(f);
  }
  Report(state, fx);
}

// The same with the durability an atomic save pays for.
void BM_PlainWriteFsync(benchmark::State& state) {
  Fixture& fx = Get(state);
  const fs::path out = fx.dir / "plain.ini";
  for (auto _ : state) {
    std::FILE* f = std::fopen(out.c_str(), "wb");
    std::fwrite(fx.bytes.data(), 1, fx.bytes.size(), f);
    std::fflush(f);
    ::fsync(fileno(f));
    std::fclose(f);
  }
  Report(state, fx);
}

void BM_ReadProject(benchmark::State& state) {
  Fixture& fx = Get(state);
  for (auto _ : state) {
    ProjectReadResult r = ReadProjectFile(fx.file);
    if (!r.ok() || r.animation.FrameCount() != state.range(0)) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(r.animation.m_frames.Last());
  }
  Report(state, fx);
}

// Into one buffer of the file's size, allocated and touched before timing:
// a string grown piece by piece would make the yardstick slower.
void BM_PlainRead(benchmark::State& state) {
  Fixture& fx = Get(state);
  std::vector<char> buf(fx.bytes.size() + 1);
  for (auto _ : state) {
    std::FILE* f = std::fopen(fx.file.c_str(), "rb");
    const std::size_t got = std::fread(buf.data(), 1, buf.size(), f);
    std::fclose(f);
    benchmark::DoNotOptimize(got);
  }
  Report(state, fx);
}

// The same into a buffer allocated anew each time and touched only by
// the read: what taking the file's bytes into fresh memory costs (the
// kernel clears every new page), as an open must for the frames it keeps.
void BM_PlainReadFresh(benchmark::State& state) {
  Fixture& fx = Get(state);
  for (auto _ : state) {
    std::unique_ptr<char[]> buf(new char[fx.bytes.size() + 1]);
    std::FILE* f = std::fopen(fx.file.c_str(), "rb");
    const std::size_t got = std::fread(buf.get(), 1, fx.bytes.size() + 1, f);
    std::fclose(f);
    benchmark::DoNotOptimize(got);
    benchmark::DoNotOptimize(buf.get());
  }
  Report(state, fx);
}

// The walking figure at three sizes and dense pictures at 100,000; dense
// pictures at a million frames (the most a project holds, about 2 GB of
// file) once each. Time is wall time, CPU the writing or reading thread's.
void Sizes(benchmark::internal::Benchmark* b) {
  b->Args({1000, 0})->Args({10000, 0})->Args({100000, 0})->Args({100000, 1});
  b->Unit(benchmark::kMillisecond);
}
void Million(benchmark::internal::Benchmark* b) {
  b->Args({1000000, 1})->Iterations(1)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_WriteProjectNew)->Apply(Sizes);
BENCHMARK(BM_WriteProjectOver)->Apply(Sizes);
BENCHMARK(BM_PlainWrite)->Apply(Sizes);
BENCHMARK(BM_PlainWriteFsync)->Apply(Sizes);
BENCHMARK(BM_ReadProject)->Apply(Sizes);
BENCHMARK(BM_PlainRead)->Apply(Sizes);
BENCHMARK(BM_PlainReadFresh)->Apply(Sizes);
BENCHMARK(BM_WriteProjectNew)->Apply(Million);
BENCHMARK(BM_PlainWriteFsync)->Apply(Million);
BENCHMARK(BM_ReadProject)->Apply(Million);
BENCHMARK(BM_PlainRead)->Apply(Million);
BENCHMARK(BM_PlainReadFresh)->Apply(Million);

}  // namespace

BENCHMARK_MAIN();

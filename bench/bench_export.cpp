// Exporting (the program and the project file) and opening a project again,
// for distinct 80x25 pictures, beside plain I/O of the same bytes in the same
// run: unsynced writes (the yardstick), the same with fsync (what a durable
// save pays on this disk), and a read into a buffer sized once. Peak memory
// is measured in a fresh process per size, against the frames' own bytes.
//
// Sizes: see BenchSizes.h (ZOETRIX_BENCH_FRAMES).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "bench/BenchPictures.h"
#include "bench/BenchSizes.h"
#include "document/AnimationFiles.h"
#include "platform/Cp936.h"
#include "program/CodeFile.h"
#include "program/Export.h"
#include "project/ProjectFile.h"

using document::AnimationDocument;
using document::AnimationPaths;
using document::MakeAnimationPaths;
using document::MakeFrameText;

using output::ExportAnimation;
using output::ExportEnd;
using output::ExportOptions;
using output::ExportPrompter;
using output::ProjectReadResult;
using output::ReadProjectFile;
using output::ReplaceWithProject;
using output::StartCodeFile;

namespace {

namespace fs = std::filesystem;

class Silent : public ExportPrompter {
 public:
  void Message(const std::string&) override {}
  bool Ask(const std::string&) override { return true; }
};

const ExportOptions kCodeAndProject{true, false, true, false};

struct Folder {
  explicit Folder(const std::string& hint) {
    root = fs::temp_directory_path() /
           ("zoetrix-bench-export-" + std::to_string(::getpid()) + "-" + hint);
    for (const char* sub : {"Code", "Project", "Animate"}) fs::create_directories(root / sub);
  }
  ~Folder() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  std::string folder() const { return root.string() + "/"; }
  fs::path root;
};

void SetPaths(AnimationDocument& doc, const Folder& f, const std::string& stamp) {
  const AnimationPaths p = MakeAnimationPaths(f.folder(), stamp);
  doc.m_export.m_strCodePath = p.code;
  doc.m_export.m_strProjectPath = p.project;
  doc.m_export.m_strBuildPath = p.build;
  doc.m_export.m_strExePath = p.exe;
}

void CloseCode(AnimationDocument& doc) { doc.m_export.m_pCodeFile.reset(); }

// One size: a document of n distinct frames, exported once to give the
// files the reading cases use and the byte counts of the plain cases.
struct Fixture {
  explicit Fixture(long n) : folder(std::to_string(n)) {
    for (long i = 0; i < n; ++i) {
      doc.m_animation.m_frames.Append(MakeFrameText(NumberedPicture(i)));
      frameBytes += doc.m_animation.m_frames.Last().Text().size();
    }
    doc.m_animation.m_nRate = 24;
    doc.m_animation.m_strAnimName = "bench";
    doc.m_animation.m_nAnimWide = 80;
    doc.m_animation.m_nAnimHigh = 25;
    doc.m_animation.m_strColor = "07";
    doc.m_bCreated = 1;
    SetPaths(doc, folder, "bench");
    Silent quiet;
    ExportAnimation(doc.m_animation, doc.m_export, kCodeAndProject, folder.folder(), quiet);
    CloseCode(doc);
    codeBytes = fs::file_size(doc.m_export.m_strCodePath);
    projectBytes = fs::file_size(doc.m_export.m_strProjectPath);
  }
  Folder folder;
  AnimationDocument doc;
  std::uintmax_t frameBytes = 0, codeBytes = 0, projectBytes = 0;
};

Fixture& Get(long n) {
  static std::map<long, std::unique_ptr<Fixture>> fixtures;
  if (!fixtures.count(n)) {
    fixtures.clear();  // one size at a time: a million frames is gigabytes
    fixtures[n] = std::make_unique<Fixture>(n);
  }
  return *fixtures[n];
}

void Report(benchmark::State& state, std::uintmax_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["us_per_frame"] =
      benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)) / 1e6,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// ------------------------------------------------------------------ export

// What the command line does: both files are new.
void BM_Export(benchmark::State& state) {
  Fixture& fx = Get(state.range(0));
  AnimationDocument& doc = fx.doc;
  Silent quiet;
  for (auto _ : state) {
    state.PauseTiming();
    CloseCode(doc);
    fs::remove(doc.m_export.m_strCodePath);
    fs::remove(doc.m_export.m_strProjectPath);
    state.ResumeTiming();
    if (ExportAnimation(doc.m_animation, doc.m_export, kCodeAndProject, fx.folder.folder(),
                        quiet) != ExportEnd::Exported)
      state.SkipWithError("export failed");
  }
  CloseCode(doc);
  Report(state, fx.codeBytes + fx.projectBytes);
}

// A second export from the window: both files are there and are replaced.
void BM_ExportOver(benchmark::State& state) {
  Fixture& fx = Get(state.range(0));
  Silent quiet;
  for (auto _ : state) {
    if (ExportAnimation(fx.doc.m_animation, fx.doc.m_export, kCodeAndProject, fx.folder.folder(),
                        quiet) != ExportEnd::Exported)
      state.SkipWithError("export failed");
  }
  CloseCode(fx.doc);
  Report(state, fx.codeBytes + fx.projectBytes);
}

// The same number of bytes written into two new files with write(2), in
// large pieces; with fsync or without.
void PlainWrite(benchmark::State& state, bool sync) {
  Fixture& fx = Get(state.range(0));
  const std::string chunk(1 << 20, 'x');
  const fs::path out[] = {fx.folder.root / "plain1.bin", fx.folder.root / "plain2.bin"};
  const std::uintmax_t sizes[] = {fx.codeBytes, fx.projectBytes};
  for (auto _ : state) {
    state.PauseTiming();
    for (const fs::path& p : out) fs::remove(p);
    state.ResumeTiming();
    for (int i = 0; i < 2; ++i) {
      const int fd = ::open(out[i].c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
      for (std::uintmax_t left = sizes[i]; left > 0;) {
        const std::size_t n = left < chunk.size() ? static_cast<std::size_t>(left) : chunk.size();
        if (::write(fd, chunk.data(), n) != static_cast<ssize_t>(n)) state.SkipWithError("write");
        left -= n;
      }
      if (sync) ::fsync(fd);
      ::close(fd);
    }
  }
  Report(state, fx.codeBytes + fx.projectBytes);
}
void BM_PlainWrite(benchmark::State& state) { PlainWrite(state, false); }
void BM_PlainWriteFsync(benchmark::State& state) { PlainWrite(state, true); }

// -------------------------------------------------------------------- open

// Opening: read the project and make it the document's animation. The old
// animation is let go with the clock stopped.
void BM_Open(benchmark::State& state) {
  Fixture& fx = Get(state.range(0));
  const AnimationPaths paths = MakeAnimationPaths(fx.folder.folder(), "opened");
  for (auto _ : state) {
    auto doc = std::make_unique<AnimationDocument>();
    ProjectReadResult read = ReadProjectFile(fx.doc.m_export.m_strProjectPath);
    if (!read.ok() || read.animation.FrameCount() != state.range(0))
      state.SkipWithError("open failed");
    ReplaceWithProject(*doc, std::move(read.animation), paths, platform::LocalTime{});
    benchmark::DoNotOptimize(doc->FrameCount());
    state.PauseTiming();
    doc.reset();
    state.ResumeTiming();
  }
  Report(state, fx.projectBytes);
}

// The project's bytes read into one buffer of the file's size, allocated
// and touched once: the fastest plain read, with no memory to fault in.
void BM_PlainRead(benchmark::State& state) {
  Fixture& fx = Get(state.range(0));
  const auto size = static_cast<std::size_t>(fs::file_size(fx.doc.m_export.m_strProjectPath));
  const std::unique_ptr<char[]> buffer(new char[size]());  // touched once, before timing
  for (auto _ : state) {
    ReadWholeFile(fx.doc.m_export.m_strProjectPath, buffer.get(), size);
    benchmark::DoNotOptimize(buffer.get());
  }
  Report(state, fx.projectBytes);
}

// ------------------------------------------------------------- peak memory

// In a fresh process: what opening (or opening and exporting, as the command
// line does) holds at its peak.
int PeakChild(const std::string& mode, const std::string& project, const std::string& folder) {
  ProjectReadResult read = ReadProjectFile(project);
  if (!read.ok()) return 1;
  AnimationDocument doc;
  const platform::LocalTime now{};
  AnimationPaths paths;
  if (mode == "export") {
    if (!StartCodeFile(doc, folder, read.animation, now, &paths).empty()) return 1;
  } else {
    paths = MakeAnimationPaths(folder, "peak");
  }
  ReplaceWithProject(doc, std::move(read.animation), paths, now);
  if (mode == "export") {
    Silent quiet;
    if (ExportAnimation(doc.m_animation, doc.m_export, kCodeAndProject, folder, quiet) !=
        ExportEnd::Exported)
      return 1;
    CloseCode(doc);
  }
  std::printf("%.0f\n", PeakResidentBytes());
  return 0;
}

double RunPeakChild(const std::string& mode, const std::string& project,
                    const std::string& folder) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(pipeFds[1], 1);
    ::execl("/proc/self/exe", "bench_export", "--peak-child", mode.c_str(), project.c_str(),
            folder.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  char text[64] = {};
  const ssize_t n = ::read(pipeFds[0], text, sizeof text - 1);
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return n > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? std::atof(text) : -1;
}

void PeakMemory(benchmark::State& state, const std::string& mode) {
  Fixture& fx = Get(state.range(0));
  double peak = 0;
  for (auto _ : state)
    peak = RunPeakChild(mode, fx.doc.m_export.m_strProjectPath, fx.folder.folder());
  if (peak < 0) state.SkipWithError("the measuring process failed");
  // The same process doing nothing: libraries and the heap's start.
  const double idle = RunPeakChild("none", "", fx.folder.folder());
  const double frames = static_cast<double>(fx.frameBytes);
  state.counters["peak_MiB"] = peak / (1 << 20);
  state.counters["frames_MiB"] = frames / (1 << 20);
  state.counters["idle_MiB"] = idle / (1 << 20);
  state.counters["peak_over_frames"] = peak / frames;
  state.counters["above_idle_over_frames"] = (peak - idle) / frames;
}
void BM_PeakMemoryOpen(benchmark::State& state) { PeakMemory(state, "open"); }
void BM_PeakMemoryExport(benchmark::State& state) { PeakMemory(state, "export"); }

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--peak-child") == 0) {
    if (std::strcmp(argv[2], "none") == 0) {
      std::printf("%.0f\n", PeakResidentBytes());
      return 0;
    }
    return PeakChild(argv[2], argv[3], argv[4]);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // Grouped by size, so each size's files are made once.
  for (long n : BenchFrameCounts()) {
    auto add = [n](const char* name, void (*fn)(benchmark::State&)) {
      return benchmark::RegisterBenchmark(name, fn)
          ->Arg(n)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    };
    add("BM_Export", BM_Export);
    add("BM_ExportOver", BM_ExportOver);
    add("BM_PlainWrite", BM_PlainWrite);
    add("BM_PlainWriteFsync", BM_PlainWriteFsync);
    add("BM_Open", BM_Open);
    add("BM_PlainRead", BM_PlainRead);
    add("BM_PeakMemoryOpen", BM_PeakMemoryOpen)->Iterations(1);
    add("BM_PeakMemoryExport", BM_PeakMemoryExport)->Iterations(1);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

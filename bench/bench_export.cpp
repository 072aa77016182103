// Exporting (the program's body and the project file) and opening a project
// again, at 1,000 / 10,000 / 100,000 frames of an 80x25 picture, beside plain
// buffered writing and reading of the same bytes in the same run.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "document/AnimationFiles.h"
#include "output/CodeFile.h"
#include "output/Export.h"
#include "output/ProjectFile.h"
#include "platform/Cp936.h"

namespace {

namespace fs = std::filesystem;

// Each frame a different picture: a walking figure over blank rows, a
// caption with Chinese text, quotes and a backslash.
std::string Picture(int n) {
  std::string out;
  const std::string caption =
      platform::cp936::ToGbk("第" + std::to_string(n) + "帧").bytes + " \"go\" C:\\x 100%";
  for (int row = 0; row < 25; ++row) {
    std::string line(80, ' ');
    if (row == 12) line.replace(static_cast<std::size_t>(n % 60), 9, "( o.o )/\\");
    if (row == 20) line.replace(2, caption.size(), caption);
    if (row) out += "\r\n";
    out += line;
  }
  return out;
}

class Silent : public ExportPrompter {
 public:
  void Message(const std::string&) override {}
  bool Ask(const std::string&) override { return true; }
};

struct Folder {
  Folder() {
    root = fs::temp_directory_path() / ("zoetrix-bench-export-" + std::to_string(::getpid()));
    for (const char* sub : {"Code", "Project", "Animate"}) fs::create_directories(root / sub);
  }
  ~Folder() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  std::string folder() const { return root.string() + "/"; }
  fs::path root;
};

void Fill(AnimationDocument& doc, int n, const Folder& f) {
  for (int i = 0; i < n; ++i) doc.m_frames.Append(MakeFrameText(Picture(i)));
  doc.m_nFrames = n;
  doc.m_nRate = 24;
  doc.m_strAnimName = "bench";
  doc.m_nAnimWide = 80;
  doc.m_nAnimHigh = 25;
  doc.m_strColor = "07";
  doc.m_bCreated = 1;
  const AnimationPaths p = MakeAnimationPaths(f.folder(), "bench");
  doc.m_strCodePath = p.code;
  doc.m_strProjectPath = p.project;
  doc.m_strBuildPath = p.build;
  doc.m_strExePath = p.exe;
}

// Plain buffered reading: the yardstick for opening.
std::string ReadAll(const std::string& path) {
  std::string bytes;
  std::FILE* in = std::fopen(path.c_str(), "rb");
  char buf[65536];
  std::size_t got;
  while (in && (got = std::fread(buf, 1, sizeof buf, in)) > 0) bytes.append(buf, got);
  if (in) std::fclose(in);
  return bytes;
}

// Exports once with the given options and lets go of the code file.
void ExportOnce(AnimationDocument& doc, const Folder& f, const ExportOptions& options) {
  Silent quiet;
  ExportAnimation(doc, options, f.folder(), quiet);
  if (doc.m_pCodeFile) std::fclose(doc.m_pCodeFile);
  doc.m_pCodeFile = nullptr;
}

std::uintmax_t ExportedBytes(const AnimationDocument& doc) {
  return fs::file_size(doc.m_strCodePath) + fs::file_size(doc.m_strProjectPath);
}

void BM_Export(benchmark::State& state) {
  Folder f;
  AnimationDocument doc;
  Fill(doc, static_cast<int>(state.range(0)), f);
  Silent quiet;
  const ExportOptions options{true, false, true, false};
  for (auto _ : state) {
    if (ExportAnimation(doc, options, f.folder(), quiet) != ExportEnd::Exported)
      state.SkipWithError("export failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * ExportedBytes(doc)));
  if (doc.m_pCodeFile) std::fclose(doc.m_pCodeFile);
}

// The same number of bytes written with stdio into two files.
void BM_PlainWriteSameBytes(benchmark::State& state) {
  Folder f;
  AnimationDocument doc;
  Fill(doc, static_cast<int>(state.range(0)), f);
  ExportOnce(doc, f, ExportOptions{true, false, true, false});
  const std::string bytes = ReadAll(doc.m_strCodePath) + ReadAll(doc.m_strProjectPath);
  const std::string out = (f.root / "plain.bin").string();
  for (auto _ : state) {
    std::FILE* o = std::fopen(out.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), o);
    std::fflush(o);
    ::fsync(::fileno(o));
    std::fclose(o);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

// Opening: read the project, then make it the document's animation.
void BM_Open(benchmark::State& state) {
  Folder f;
  AnimationDocument source;
  Fill(source, static_cast<int>(state.range(0)), f);
  ExportOnce(source, f, ExportOptions{false, false, true, false});
  const AnimationPaths paths = MakeAnimationPaths(f.folder(), "opened");
  for (auto _ : state) {
    ProjectReadResult read = ReadProjectFile(source.m_strProjectPath);
    if (!read.ok()) state.SkipWithError("open failed");
    AnimationDocument doc;
    ReplaceWithProject(doc, std::move(read.data), paths, platform::LocalTime{});
    benchmark::DoNotOptimize(doc.m_nFrames);
  }
  state.SetBytesProcessed(
      static_cast<int64_t>(state.iterations() * fs::file_size(source.m_strProjectPath)));
}

void BM_PlainReadSameBytes(benchmark::State& state) {
  Folder f;
  AnimationDocument source;
  Fill(source, static_cast<int>(state.range(0)), f);
  ExportOnce(source, f, ExportOptions{false, false, true, false});
  for (auto _ : state) {
    const std::string bytes = ReadAll(source.m_strProjectPath);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(
      static_cast<int64_t>(state.iterations() * fs::file_size(source.m_strProjectPath)));
}

#define SIZES ->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_Export) SIZES;
BENCHMARK(BM_PlainWriteSameBytes) SIZES;
BENCHMARK(BM_Open) SIZES;
BENCHMARK(BM_PlainReadSameBytes) SIZES;

}  // namespace

BENCHMARK_MAIN();

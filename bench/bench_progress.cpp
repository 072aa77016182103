// What reporting progress costs a long job: the same export of 1,000 dense
// frames (40 ASCII characters and 20 Chinese ones in every row, each frame
// its own) without a JobProgress (/0) and with one (/1) that a watcher reads
// ten times a second, as the progress window and the terminal's line do.
//
// BM_Advance is one call of JobProgress::Advance, the cost per frame.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "BenchPictures.h"
#include "platform/JobProgress.h"
#include "project/ProjectFile.h"
#include "share/AnimationFormats.h"

using document::Animation;
using document::MakeFrameText;
using platform::JobProgress;

namespace {

namespace fs = std::filesystem;

constexpr int kFrames = 1000;

const Animation& DenseAnimation() {
  static const Animation animation = [] {
    Animation a;
    for (long i = 0; i < kFrames; ++i) a.m_frames.Append(MakeFrameText(DistinctDensePicture(i)));
    a.m_nRate = 24;
    a.m_nAnimWide = 80;
    a.m_nAnimHigh = 25;
    a.m_strColor = "1E";
    a.m_strAnimName = "bench";
    return a;
  }();
  return animation;
}

std::string Scratch(const char* name) {
  return (fs::temp_directory_path() /
          ("zoetrix-bench-progress-" + std::to_string(::getpid()) + "-" + name))
      .string();
}

// Reads the job ten times a second while it lives.
class Watcher {
 public:
  explicit Watcher(const JobProgress& job)
      : m_thread([this, &job] {
          while (!m_stop.load()) {
            benchmark::DoNotOptimize(job.Read());
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
          }
        }) {}
  ~Watcher() {
    m_stop.store(true);
    m_thread.join();
  }

 private:
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

template <typename Write>
void Export(benchmark::State& state, const char* name, Write write) {
  const Animation& animation = DenseAnimation();
  const std::string path = Scratch(name);
  const bool watched = state.range(0) != 0;
  JobProgress job;
  std::optional<Watcher> watcher;
  if (watched) watcher.emplace(job);
  for (auto _ : state) {
    if (!write(animation, path, watched ? &job : nullptr)) state.SkipWithError("export failed");
  }
  fs::remove(path);
}

void BM_GifExport(benchmark::State& state) {
  Export(state, "gif", [](const Animation& a, const std::string& path, JobProgress* job) {
    std::string error;
    return output::WriteGifAnimation(a, path, &error, {}, platform::Replace::Yes, job);
  });
}
BENCHMARK(BM_GifExport)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProjectExport(benchmark::State& state) {
  Export(state, "ini", [](const Animation& a, const std::string& path, JobProgress* job) {
    return output::WriteProjectFile(a, path, platform::Replace::Yes, job).ok();
  });
}
BENCHMARK(BM_ProjectExport)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Advance(benchmark::State& state) {
  JobProgress job;
  job.Begin("bench", 0);
  std::uint64_t done = 0;
  for (auto _ : state) benchmark::DoNotOptimize(job.Advance(++done));
}
BENCHMARK(BM_Advance);

}  // namespace

BENCHMARK_MAIN();

// The recovery copy at 100,000 distinct 80x25 frames: what the window's
// timer costs on the interface thread (the check for a change and the
// snapshot) against the write that the background thread takes off it.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "document/AnimationDocument.h"
#include "project/ProjectFile.h"
#include "project/RecoveryCopy.h"

using document::Animation;
using document::AnimationDocument;
using document::MakeFrameText;

using output::RecoveryCopy;

namespace {

constexpr int kFrames = 100000;

// One full 80x25 screen, different for every n.
std::string Picture(int n) {
  std::string s;
  s.reserve(25 * 82);
  for (int line = 0; line < 25; ++line) {
    for (int col = 0; col < 80; ++col) s += static_cast<char>('!' + (n + line * 7 + col) % 90);
    s += "\r\n";
  }
  const std::string number = std::to_string(n);
  s.replace(0, number.size(), number);
  return s;
}

AnimationDocument& Document() {
  static AnimationDocument* doc = [] {
    auto* d = new AnimationDocument;
    d->m_animation.m_strAnimName = "bench";
    d->m_animation.m_strColor = "07";
    d->m_animation.m_nAnimWide = 80;
    d->m_animation.m_nAnimHigh = 25;
    d->m_animation.m_nRate = 24;
    for (int i = 0; i < kFrames; ++i) d->m_animation.m_frames.Append(MakeFrameText(Picture(i)));
    return d;
  }();
  return *doc;
}

std::filesystem::path Folder() {
  static const std::filesystem::path folder = [] {
    auto p = std::filesystem::temp_directory_path() / "zoetrix-bench-recovery";
    std::filesystem::create_directories(p);
    return p;
  }();
  return folder;
}

// The snapshot the timer takes when the animation has changed.
void BM_RecoverySnapshot(benchmark::State& state) {
  const Animation& animation = Document().m_animation;
  const std::string typed = Picture(-1);
  for (auto _ : state) {
    Animation s = RecoveryCopy::Snapshot(animation, kFrames - 1, typed);
    benchmark::DoNotOptimize(s.m_frames.Last());
  }
}
BENCHMARK(BM_RecoverySnapshot)->Unit(benchmark::kMillisecond);

// The check the timer makes every few seconds when nothing has changed.
void BM_RecoveryUnchangedCheck(benchmark::State& state) {
  const Animation& animation = Document().m_animation;
  RecoveryCopy copy(Folder(), 1);
  copy.MarkSaved(RecoveryCopy::Snapshot(animation, kFrames - 1, ""));
  for (auto _ : state) benchmark::DoNotOptimize(copy.Differs(animation, kFrames - 1, ""));
}
BENCHMARK(BM_RecoveryUnchangedCheck)->Unit(benchmark::kMillisecond);

// The same project written synchronously, as the background thread does.
void BM_RecoverySynchronousWrite(benchmark::State& state) {
  const Animation& animation = Document().m_animation;
  RecoveryCopy copy(Folder(), 2);
  for (auto _ : state) copy.Write(RecoveryCopy::Snapshot(animation, kFrames - 1, ""));
  if (!copy.TakeError().empty()) state.SkipWithError("the copy was not written");
  copy.Discard();
}
BENCHMARK(BM_RecoverySynchronousWrite)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

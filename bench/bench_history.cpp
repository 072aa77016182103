// The history of frame steps on an animation of nearly a million distinct
// dense 80x25 pictures (997,000: room for the delays below the frame limit;
// about 2 GB of frames, built once):
//  - 100 steps of mixed commands must leave the history holding a few MiB
//    beyond the frames when copies are deleted, and at most its byte limit
//    when distinct pictures are;
//  - doing, undoing and redoing each kind of step at that size.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <optional>
#include <string>

#include "bench/BenchPictures.h"
#include "document/AnimationDocument.h"
#include "document/FrameSteps.h"
#include "document/History.h"

using document::AreasAfterRefresh;
using document::FrameList;
using document::History;
using document::MakeFrameText;
using document::Step;
using document::StepContext;
using document::StepKind;

namespace {

constexpr int kDelay = 2400;  // 100 s at 24 frames a second
// A million frames less room for the delays: no command appends past the
// frame limit of a million (kMaxFrames), and each round of the mix below
// leaves one frame more.
constexpr int kFrames = document::kMaxFrames - 3000;

FrameList& Animation() {
  static FrameList* list = [] {
    auto* l = new FrameList;
    l->Reserve(kFrames + 100000);
    for (int i = 1; i <= kFrames; ++i) l->Append(MakeFrameText(NumberedPicture(i)));
    return l;
  }();
  return *list;
}

std::size_t HeapInUse() { return mallinfo2().uordblks; }

// Where the areas stand after the window's refresh, the preview following.
StepContext AfterRefresh(const FrameList& list) {
  return {AreasAfterRefresh(list.Size(), true), true};
}

// A picture the user typed for step i: dense, and unlike every frame.
std::string Typed(long i) { return NumberedPicture(2 * kFrames + i); }

// The step of one kind, built from the list as it is.
std::optional<Step> Build(const FrameList& list, int kind, long i) {
  const StepContext at = AfterRefresh(list);
  const int n = static_cast<int>(list.Size());
  switch (kind) {
    case 0:
      return AppendBlankFrameStep(list, Typed(i), at);
    case 1:
      return AppendCopiesStep(list, StepKind::kAddDelayFrames, Typed(i), kDelay, at);
    case 2:  // 2,400 distinct pictures from the middle
      return DeleteBetweenStep(list, n / 2, n / 2 + kDelay + 1, at);
    case 3:
      return StoreFrameStep(list, Typed(i), at.areas);
    default:  // a block of 100 frames from near the start to the middle
      return MoveFramesStep(list, 1000, 100, n / 2, at.areas);
  }
}

// Done in the history; false (and the benchmark stopped) when the command
// made no step.
bool Do(benchmark::State& state, History& history, FrameList& list, std::optional<Step> step) {
  if (step && history.Do(list, std::move(*step))) return true;
  state.SkipWithError("a command made no step");
  return false;
}

const char* const kKindNames[] = {"append_blank", "delay_2400", "delete_range_2400", "store",
                                  "move_block_100"};

double Elapsed(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// ------------------------------------------------------ each kind of step

// Do, undo and redo of one kind of step at a million frames; the step is
// undone again with the clock stopped, so every round meets the same list.
// Time: the do; counters: the undo and the redo, in microseconds, and what
// the history holds after the do.
void BM_HistoryStep(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0));
  state.SetLabel(kKindNames[kind]);
  FrameList& list = Animation();
  double undo = 0, redo = 0, held = 0;
  long typed = 1000000;
  for (auto _ : state) {
    History history;
    std::optional<Step> step = Build(list, kind, ++typed);
    auto start = std::chrono::steady_clock::now();
    if (!Do(state, history, list, std::move(step))) return;
    state.SetIterationTime(Elapsed(start));
    held = static_cast<double>(history.Bytes());
    start = std::chrono::steady_clock::now();
    history.Undo(list);
    undo += Elapsed(start);
    start = std::chrono::steady_clock::now();
    history.Redo(list);
    redo += Elapsed(start);
    history.Undo(list);
  }
  const auto rounds = static_cast<double>(state.iterations());
  state.counters["undo_us"] = undo * 1e6 / rounds;
  state.counters["redo_us"] = redo * 1e6 / rounds;
  state.counters["held_KiB"] = held / 1024;
}
BENCHMARK(BM_HistoryStep)->DenseRange(0, 4)->UseManualTime()->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------- the mix

// 20 rounds of: a blank frame at the end, a delay of 2,400 copies, a range
// of 2,400 frames deleted, Ctrl+S, a block of 100 moved to the middle. The
// range is the delay's copies (arg 0) or 2,400 distinct pictures from the
// middle (arg 1). Time: the 100 steps. Counters: what the history holds
// after them by its own count, and the heap clearing it gives back
// (mallinfo2). The list is left as the steps made it (it grows by 20 frames
// a round, and loses 48,000 distinct pictures a round with arg 1), so the
// mix runs after the single steps.
void BM_HistoryMix(benchmark::State& state) {
  const bool distinct = state.range(0) == 1;
  FrameList& list = Animation();
  long typed = 0;
  double held = 0, records = 0, texts = 0, freed = 0, kept = 0;
  for (auto _ : state) {
    History history;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < 20; ++round) {
      if (!Do(state, history, list, Build(list, 0, ++typed)) ||
          !Do(state, history, list, Build(list, 1, ++typed)))
        return;
      const int n = static_cast<int>(list.Size());
      // The copies sit at the end, after the frame that took the picture.
      const int first = distinct ? n / 2 : n - kDelay - 1;
      if (!Do(state, history, list,
              DeleteBetweenStep(list, first, first + kDelay + 1, AfterRefresh(list))) ||
          !Do(state, history, list, Build(list, 3, ++typed)) ||
          !Do(state, history, list, Build(list, 4, typed)))
        return;
    }
    state.SetIterationTime(Elapsed(start));
    held = static_cast<double>(history.Bytes());
    records = static_cast<double>(history.RecordBytes());
    texts = static_cast<double>(history.TextBytes());
    kept = static_cast<double>(history.UndoCount());
    // What the allocator gets back when the history is cleared.
    const std::size_t with = HeapInUse();
    history.Clear();
    freed = static_cast<double>(with) - static_cast<double>(HeapInUse());
  }
  constexpr double kMiB = 1024.0 * 1024.0;
  state.counters["held_MiB"] = held / kMiB;
  state.counters["records_MiB"] = records / kMiB;
  state.counters["texts_MiB"] = texts / kMiB;
  state.counters["steps_kept"] = kept;
  state.counters["heap_freed_MiB"] = freed / kMiB;
  state.counters["frames"] = static_cast<double>(list.Size());
}
BENCHMARK(BM_HistoryMix)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();

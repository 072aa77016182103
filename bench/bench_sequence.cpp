// Shaping the sequence at a million frames (1,000 distinct 80x25 pictures
// over and over, so building the list costs little and the work measured is
// the list's):
//  - each frame command done as a step of the document's history, then
//    undone and redone, acting at the very start (every frame after it moves);
//  - what 100 such steps hold beyond the frames;
//  - the same commands, undo and redo from the main window (the controls
//    refreshed, the strip open);
//  - the frame strip: opening it, and one scroll step.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QScrollBar>
#include <chrono>
#include <vector>

#include "bench/BenchPictures.h"
#include "bench/BenchWindow.h"
#include "document/AnimationDocument.h"
#include "res/ControlIds.h"
#include "ui/FrameStrip.h"
#include "ui/framework/Translations.h"

using document::AnimationDocument;
using document::SequenceAction;
using document::SequenceCommand;
using document::SequenceOutcome;

namespace {

// Room below the frame limit for what the commands add.
constexpr int kFrames = document::kMaxFrames - 5000;

const std::vector<document::FrameText>& Pictures() {
  static const std::vector<document::FrameText> pictures = [] {
    std::vector<document::FrameText> p;
    for (int i = 0; i < 1000; ++i) p.push_back(document::MakeFrameText(NumberedPicture(i)));
    return p;
  }();
  return pictures;
}

void Fill(document::FrameList& frames) {
  frames.Clear();
  frames.Reserve(document::kMaxFrames);
  for (int i = 0; i < kFrames; ++i) frames.Append(Pictures()[i % 1000]);
}

AnimationDocument& Document() {
  static AnimationDocument* doc = [] {
    auto* d = new AnimationDocument;
    d->m_bCreated = 1;
    d->m_animation.m_nRate = 24;
    Fill(d->m_animation.m_frames);
    return d;
  }();
  return *doc;
}

struct Command {
  const char* name;
  SequenceCommand command;
};

const Command kCommands[] = {
    {"insert_blank", {SequenceAction::kInsertBlank, 0, 1}},
    {"duplicate", {SequenceAction::kDuplicate, 0, 1}},
    {"move_later", {SequenceAction::kMoveLater, 0, 1}},
    {"move_100_to_end", {SequenceAction::kMoveTo, 0, 100, kFrames - 99}},
    {"hold_24", {SequenceAction::kHold, 0, 1, 24}},
    {"hold_100x2", {SequenceAction::kHold, 0, 100, 2}},
    {"duplicate_100", {SequenceAction::kDuplicate, 0, 100}},
    {"delete_100", {SequenceAction::kDelete, 0, 100}},
};

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Time: the command; counters: its undo and redo, in microseconds. Undone
// again with the clock stopped, so every round meets the same list.
void BM_SequenceCommand(benchmark::State& state) {
  const Command& c = kCommands[state.range(0)];
  state.SetLabel(c.name);
  AnimationDocument& doc = Document();
  double undo = 0, redo = 0;
  for (auto _ : state) {
    doc.m_history.Clear();
    doc.m_areasShown = {0, -1};
    auto start = std::chrono::steady_clock::now();
    if (doc.RunSequence(c.command) != SequenceOutcome::kDone) {
      state.SkipWithError("the command did nothing");
      return;
    }
    state.SetIterationTime(Since(start));
    start = std::chrono::steady_clock::now();
    doc.UndoStep();
    undo += Since(start);
    start = std::chrono::steady_clock::now();
    doc.RedoStep();
    redo += Since(start);
    doc.UndoStep();
  }
  const auto rounds = static_cast<double>(state.iterations());
  state.counters["undo_us"] = undo * 1e6 / rounds;
  state.counters["redo_us"] = redo * 1e6 / rounds;
  state.counters["frames"] = doc.FrameCount();
}
BENCHMARK(BM_SequenceCommand)->DenseRange(0, 7)->UseManualTime()->Unit(benchmark::kMicrosecond);

// 100 steps, the commands above in turn, each with a picture typed into
// the frame it acts on (kept in the same step). Counters: what the history
// holds by its own count, and what clearing it gives back to the allocator
// once every step is undone (all of it then held for redoing).
void BM_SequenceHundredSteps(benchmark::State& state) {
  AnimationDocument& doc = Document();
  double held = 0, freed = 0;
  for (auto _ : state) {
    doc.m_history.Clear();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 100; ++i) {
      const Command& c = kCommands[i % 8];
      doc.m_areasShown = {c.command.first, -1};
      doc.KeepEditTextWithNextStep(c.command.first, NumberedPicture(5000 + i));
      doc.RunSequence(c.command);
    }
    state.SetIterationTime(Since(start));
    held = static_cast<double>(doc.m_history.Bytes());
    state.PauseTiming();
    while (doc.UndoStep()) {
    }
    const std::size_t undone = mallinfo2().uordblks;
    doc.m_history.Clear();
    freed = static_cast<double>(undone) - static_cast<double>(mallinfo2().uordblks);
    state.ResumeTiming();
  }
  state.counters["held_MiB"] = held / (1024.0 * 1024.0);
  state.counters["heap_freed_MiB"] = freed / (1024.0 * 1024.0);
  state.counters["frames"] = doc.FrameCount();
}
BENCHMARK(BM_SequenceHundredSteps)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// ------------------------------------------------------------ the window

CZoetrixDlg& Window() {
  CZoetrixDlg& d = *benchwindow::g_window->dlg;
  if (d.doc().FrameCount() != kFrames) {
    d.doc().m_bCreated = 1;
    d.doc().m_animation.m_nRate = 24;
    d.doc().m_animation.m_nAnimWide = 80;
    d.doc().m_animation.m_nAnimHigh = 25;
    d.doc().m_animation.m_strColor = "0A";
    Fill(d.doc().m_animation.m_frames);
    d.RefreshFrameControls();
  }
  return d;
}

// A command from its key at the first frame, then Ctrl+Z and Ctrl+Y, with
// the strip open. Time: the command; counters: undo and redo.
void BM_WindowSequenceCommand(benchmark::State& state) {
  const int ids[] = {res::IDC_SEQ_INSERT_BLANK, res::IDC_SEQ_DUPLICATE, res::IDC_SEQ_MOVE_LATER};
  const int id = ids[state.range(0)];
  CZoetrixDlg& d = Window();
  d.RunCommand(res::IDC_FRAME_STRIP, ui::Notify::Clicked);
  double undo = 0, redo = 0;
  for (auto _ : state) {
    d.ShowInEditArea(0);
    auto start = std::chrono::steady_clock::now();
    d.RunCommand(id, ui::Notify::Clicked);
    state.SetIterationTime(Since(start));
    start = std::chrono::steady_clock::now();
    d.RunCommand(res::IDC_UNDO, ui::Notify::Clicked);
    undo += Since(start);
    start = std::chrono::steady_clock::now();
    d.RunCommand(res::IDC_REDO, ui::Notify::Clicked);
    redo += Since(start);
    d.RunCommand(res::IDC_UNDO, ui::Notify::Clicked);
  }
  const auto rounds = static_cast<double>(state.iterations());
  state.counters["undo_us"] = undo * 1e6 / rounds;
  state.counters["redo_us"] = redo * 1e6 / rounds;
}
BENCHMARK(BM_WindowSequenceCommand)
    ->DenseRange(0, 2)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// Opening the strip afresh (no thumbnail made yet) on the last frame and
// drawing it (into a pixmap: the offscreen screen draws a window only once
// the event loop has shown it).
void BM_StripOpen(benchmark::State& state) {
  CZoetrixDlg& d = Window();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    auto* strip = new ui::FrameStrip(d);
    strip->resize(1000, strip->height());
    strip->EditAreaMoved(d.doc().FrameCount() - 1);
    strip->show();
    // Drawn now, as the first expose of the window draws it.
    strip->grab();
    state.SetIterationTime(Since(start));
    state.counters["drawn"] = strip->LastDrawn();
    delete strip;
  }
}
BENCHMARK(BM_StripOpen)->UseManualTime()->Unit(benchmark::kMillisecond);

// One step of the scroll bar (a frame) or a page, drawn; every step brings
// pictures not drawn before into view.
void BM_StripScroll(benchmark::State& state) {
  CZoetrixDlg& d = Window();
  ui::FrameStrip strip(d);
  strip.resize(1000, strip.height());
  strip.show();
  QScrollBar* bar = strip.horizontalScrollBar();
  bar->setValue(0);
  const int step = state.range(0) == 0 ? 1 : bar->pageStep();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    bar->setValue(bar->value() + step);
    strip.grab();
    state.SetIterationTime(Since(start));
  }
  state.counters["drawn"] = strip.LastDrawn();
  state.counters["thumbnails_made"] = strip.CachedThumbnails();
  state.SetLabel(state.range(0) == 0 ? "one frame" : "one page");
}
BENCHMARK(BM_StripScroll)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ui::InstallQtTranslations(app);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchwindow::RunWithWindow("sequence");
  benchmark::Shutdown();
  return 0;
}

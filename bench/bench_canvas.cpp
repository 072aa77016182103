// The drawing canvas on a 100x100 canvas full of Chinese and ASCII text:
// a key press until its cell is painted again, a pencil stroke, moving a
// block, and switching to another frame (with the whole view painted).
// Counters: heap allocations per operation.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "platform/Cp936.h"
#include "ui/framework/CharCanvas.h"

namespace {

std::atomic<long long> g_allocations{0};

}  // namespace

void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// 100 rows, each 50 cells of ASCII and 25 Chinese characters, moving with n.
std::string FullPicture(int n) {
  static const std::string kHan =
      platform::cp936::ToGbk("走跑跳看山水风云日月星光画面动字符帧中文猫狗鸟鱼虫").bytes;  // 25
  std::string out;
  for (int row = 0; row < 100; ++row) {
    if (row) out += "\r\n";
    for (int i = 0; i < 50; ++i) out += static_cast<char>('!' + (n + row + i) % 94);
    const std::size_t shift = static_cast<std::size_t>((n + row) % 25) * 2;
    out += kHan.substr(shift) + kHan.substr(0, shift);
  }
  return out;
}

struct Canvas {
  ui::CharCanvas canvas{false};
  Canvas() {
    canvas.resize(900, 700);
    canvas.SetCanvasSize(100, 100);
    canvas.SetFrameText(FullPicture(0));
    canvas.SetOnionFrames({FullPicture(1)}, {});
    canvas.show();
    canvas.setFocus();
    QApplication::processEvents();
  }
  void Paint() { QApplication::processEvents(); }
  void Mouse(QEvent::Type type, document::CellPos at) {
    const QPointF p(canvas.CellCenter(at));
    QMouseEvent e(type, p, canvas.viewport()->mapToGlobal(p), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(canvas.viewport(), &e);
  }
};

void Report(benchmark::State& state, long long before) {
  state.counters["allocs"] = benchmark::Counter(static_cast<double>(g_allocations - before),
                                                benchmark::Counter::kAvgIterations);
}

void BM_CanvasKeyPress(benchmark::State& state) {
  Canvas c;
  c.canvas.SetCursor({50, 10});
  const long long before = g_allocations;
  int i = 0;
  for (auto _ : state) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier,
                  QString(QChar(static_cast<char16_t>(u'a' + i++ % 26))));
    QApplication::sendEvent(&c.canvas, &key);
    if (c.canvas.Cursor().col > 40) c.canvas.SetCursor({50, 10});
    c.Paint();
  }
  Report(state, before);
}
BENCHMARK(BM_CanvasKeyPress)->Unit(benchmark::kMillisecond);

void BM_CanvasPencilStroke(benchmark::State& state) {
  Canvas c;
  c.canvas.SetTool(ui::CharCanvas::Tool::Pencil);
  const long long before = g_allocations;
  for (auto _ : state) {
    c.Mouse(QEvent::MouseButtonPress, {20, 5});
    for (int col = 6; col < 40; ++col) {
      c.Mouse(QEvent::MouseMove, {20 + col % 3, col});
      c.Paint();
    }
    c.Mouse(QEvent::MouseButtonRelease, {22, 40});
    c.Paint();
  }
  Report(state, before);
}
BENCHMARK(BM_CanvasPencilStroke)->Unit(benchmark::kMillisecond);

void BM_CanvasBlockMove(benchmark::State& state) {
  Canvas c;
  const long long before = g_allocations;
  int step = 0;
  for (auto _ : state) {
    const int top = 10 + step % 2 * 5;
    c.canvas.SetBlock({top, 10, top + 19, 39});
    c.Mouse(QEvent::MouseButtonPress, {top, 12});
    c.Mouse(QEvent::MouseMove, {top + (step % 2 ? -5 : 5), 12});
    c.Paint();
    c.Mouse(QEvent::MouseButtonRelease, {top + (step % 2 ? -5 : 5), 12});
    c.Paint();
    ++step;
  }
  Report(state, before);
}
BENCHMARK(BM_CanvasBlockMove)->Unit(benchmark::kMillisecond);

// Switching to another frame: its cells and the frame behind, and then
// (painted) the whole view drawn; unpainted, the cells alone.
void SwitchFrames(benchmark::State& state, bool painted) {
  Canvas c;
  std::string frames[2] = {FullPicture(3), FullPicture(4)};
  const long long before = g_allocations;
  int i = 0;
  for (auto _ : state) {
    c.canvas.SetFrameText(frames[i++ % 2]);
    c.canvas.SetOnionFrames({frames[i % 2]}, {});
    if (painted) c.Paint();
  }
  Report(state, before);
}
void BM_CanvasSwitchFrame(benchmark::State& state) { SwitchFrames(state, true); }
BENCHMARK(BM_CanvasSwitchFrame)->Unit(benchmark::kMillisecond);
void BM_CanvasSwitchFrameCells(benchmark::State& state) { SwitchFrames(state, false); }
BENCHMARK(BM_CanvasSwitchFrameCells)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

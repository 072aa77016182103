// zoetrix --play's pace and output: 1,000 frames of 80 x 25 at 100 frames per
// second played into a pseudo-terminal whose other side is read as fast as
// it comes, beside the bytes the compiled program writes for the same frames.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "playback/TerminalPlayer.h"

using document::MakeFrameText;

using playback::EnterSequence;
using playback::LayOutFrame;
using playback::Picture;
using playback::PlayCounts;
using playback::PlayInTerminal;
using playback::SessionTerminal;

namespace {

constexpr int kCols = 80, kRows = 25, kFrames = 1000, kRate = 100;

// A ball crossing a fixed scene: two rows change from frame to frame.
std::string SpriteFrame(int k) {
  std::string text;
  for (int row = 0; row < kRows; ++row) {
    std::string line(kCols - 1, row == kRows - 1 ? '=' : ' ');
    if (row == 0) line.replace(0, 12, "scene title:");
    if (row == 5 + (k / 10) % 15) line[static_cast<std::size_t>(k % (kCols - 1))] = 'O';
    text += line;
    if (row + 1 < kRows) text += "\r\n";
  }
  return text;
}

// Every row differs from the last frame's, Chinese included.
std::string FullFrame(int k) {
  std::string text;
  for (int row = 0; row < kRows; ++row) {
    std::string line;
    for (int col = 0; col < 30; ++col) line += static_cast<char>('a' + (k + row + col) % 26);
    for (int i = 0; i < 20; ++i) line += (k + i) % 2 ? "\xD6\xD0" : "\xCE\xC4";  // 中 文
    text += line;
    if (row + 1 < kRows) text += "\r\n";
  }
  return text;
}

// What the compiled program writes for one frame after the first, through
// the console layer: to the corner, the frame converted, "clear to end of
// line" before each line break unless the line fills the width, "clear to
// end of screen" after it.
std::size_t CompiledProgramFrameBytes(const std::string& gbk,
                                      const platform::TerminalEncoding& encoding) {
  std::size_t bytes = 3 + 3;  // ESC[H ... ESC[J
  const Picture lines = LayOutFrame(gbk, encoding, 0, 0);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    bytes += lines[i].bytes.size();
    if (i + 1 < lines.size()) bytes += (lines[i].width >= kCols ? 0 : 3) + 1;  // ESC[K \n
  }
  return bytes;
}

void PlayIntoPty(benchmark::State& state, std::string (*make)(int)) {
  document::Animation animation;
  animation.m_nAnimWide = kCols;
  animation.m_nAnimHigh = kRows;
  animation.m_strColor = "07";
  animation.m_nRate = kRate;
  for (int k = 0; k < kFrames; ++k) animation.m_frames.Append(MakeFrameText(make(k)));
  const auto encoding = platform::TerminalEncoding::ForCodeset("UTF-8");
  std::size_t compiled = 0;
  for (int k = 1; k < kFrames; ++k)
    compiled += CompiledProgramFrameBytes(animation.m_frames.At(k)->Text(), encoding);

  for (auto _ : state) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ::grantpt(master);
    ::unlockpt(master);
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    winsize size{};
    size.ws_row = kRows;
    size.ws_col = kCols;
    ::ioctl(master, TIOCSWINSZ, &size);
    std::atomic<bool> done{false};
    std::thread drain([&] {
      char buffer[65536];
      while (!done) {
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, 10) > 0 && ::read(master, buffer, sizeof buffer) <= 0) break;
      }
    });
    PlayCounts counts;
    const auto start = std::chrono::steady_clock::now();
    {
      SessionTerminal terminal(slave, slave, EnterSequence(animation.m_strColor));
      counts = PlayInTerminal(animation, {{0, kFrames - 1}, 1.0, false}, encoding, terminal);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    done = true;
    drain.join();
    ::close(slave);
    ::close(master);
    state.SetIterationTime(seconds);
    state.counters["seconds"] = seconds;
    state.counters["error_ms"] = (seconds - kFrames / double(kRate)) * 1000;
    state.counters["frames"] = static_cast<double>(counts.framesShown);
    state.counters["play_bytes_per_frame"] = static_cast<double>(counts.bytesWritten) / kFrames;
    state.counters["compiled_bytes_per_frame"] = static_cast<double>(compiled) / (kFrames - 1);
  }
}

void BM_PlaySprite(benchmark::State& state) { PlayIntoPty(state, SpriteFrame); }
void BM_PlayFullChange(benchmark::State& state) { PlayIntoPty(state, FullFrame); }

BENCHMARK(BM_PlaySprite)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayFullChange)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Playing in the terminal, without a terminal: frame ranges, the pace, keys,
// pictures and their differences, and the whole loop against a fake
// terminal with a fake clock.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "playback/TerminalPlayer.h"
#include "tests/TestSupport.h"

using document::Animation;
using document::MakeFrameText;

using playback::ColorSequence;
using playback::DrawPicture;
using playback::EnterSequence;
using playback::FasterSpeed;
using playback::FrameRange;
using playback::FrameSchedule;
using playback::KeyDecoder;
using playback::kMaxPlaySpeed;
using playback::kMinPlaySpeed;
using playback::LayOutFrame;
using playback::LeaveSequence;
using playback::Picture;
using playback::PlayCounts;
using playback::PlayerKey;
using playback::PlayerState;
using playback::PlayerTerminal;
using playback::PlayInTerminal;
using playback::PlayPlain;
using playback::ScreenRow;
using playback::SelectFrames;
using playback::SlowerSpeed;
using playback::SteadyTime;

using testsupport::Gbk;
using namespace std::chrono_literals;

namespace {

const SteadyTime kStart = SteadyTime() + 1h;

// An animation of these frames at `rate` frames per second, its canvas
// `high` rows tall.
std::unique_ptr<Animation> Frames(const std::vector<std::string>& texts, int rate = 100,
                                  int high = 0) {
  auto animation = std::make_unique<Animation>();
  animation->m_nRate = rate;
  animation->m_nAnimHigh = high;
  for (const std::string& t : texts) animation->m_frames.Append(MakeFrameText(t));
  return animation;
}

platform::TerminalEncoding Utf8() { return platform::TerminalEncoding::ForCodeset("UTF-8"); }

std::vector<std::string> Bytes(const Picture& picture) {
  std::vector<std::string> rows;
  for (const ScreenRow& r : picture) rows.push_back(r.bytes);
  return rows;
}

}  // namespace

TEST(TerminalPlayerTest, FrameRangeFromAndToCountFromOneInclusive) {
  FrameRange r;
  EXPECT_EQ(SelectFrames(5, std::nullopt, std::nullopt, &r), "");
  EXPECT_EQ(r.first, 0);
  EXPECT_EQ(r.last, 4);
  EXPECT_EQ(SelectFrames(5, 2, 2, &r), "");
  EXPECT_EQ(r.first, 1);
  EXPECT_EQ(r.last, 1);
  EXPECT_EQ(r.Count(), 1);
  EXPECT_EQ(SelectFrames(5, 4, std::nullopt, &r), "");
  EXPECT_EQ(r.first, 3);
  EXPECT_EQ(r.last, 4);

  r = FrameRange{7, 7};
  EXPECT_NE(SelectFrames(5, 0, std::nullopt, &r).find("--from"), std::string::npos);
  EXPECT_NE(SelectFrames(5, std::nullopt, 6, &r).find("共有 5 帧"), std::string::npos);
  EXPECT_NE(SelectFrames(5, 4, 3, &r).find("不能小于"), std::string::npos);
  EXPECT_NE(SelectFrames(0, std::nullopt, std::nullopt, &r), "");
  EXPECT_EQ(r.first, 7);  // untouched when refused
}

// Frames fall due at the start plus whole periods however late each was
// shown; a long stall starts the count again instead of rushing.
TEST(TerminalPlayerTest, ScheduleKeepsAbsoluteDeadlines) {
  FrameSchedule s(100, 1.0);
  EXPECT_EQ(s.Period(), 10ms);
  s.Restart(kStart);
  for (int k = 1; k <= 1000; ++k) {
    EXPECT_EQ(s.Due(), kStart + k * 10ms);
    s.Advance(s.Due() + 3ms);  // every frame shown 3 ms late
  }
  EXPECT_EQ(s.Due(), kStart + 1001 * 10ms);

  s.Advance(s.Due() + 1s);  // a stall
  EXPECT_EQ(s.Due(), kStart + 1001 * 10ms + 1s + 10ms);

  // Doubling the speed 4 ms into a 10 ms frame: it has 1 ms left.
  s.Restart(kStart);
  s.SetSpeed(2.0, kStart + 4ms);
  EXPECT_EQ(s.Period(), 5ms);
  EXPECT_EQ(s.Due(), kStart + 5ms);
  EXPECT_DOUBLE_EQ(FasterSpeed(1.0), 1.25);
  EXPECT_DOUBLE_EQ(SlowerSpeed(1.25), 1.0);
  EXPECT_DOUBLE_EQ(FasterSpeed(kMaxPlaySpeed), kMaxPlaySpeed);
  EXPECT_DOUBLE_EQ(SlowerSpeed(kMinPlaySpeed), kMinPlaySpeed);
}

TEST(TerminalPlayerTest, KeysIncludingArrowsSplitAcrossReads) {
  KeyDecoder d;
  using K = PlayerKey;
  EXPECT_EQ(d.Feed(" q+=-_Qx\n"), (std::vector<K>{K::Pause, K::Quit, K::Faster, K::Faster,
                                                  K::Slower, K::Slower, K::Quit}));
  EXPECT_EQ(d.Feed("\033[C\033[D\033OC\033OD"),
            (std::vector<K>{K::StepForward, K::StepBack, K::StepForward, K::StepBack}));
  EXPECT_TRUE(d.Feed("\033").empty());
  EXPECT_TRUE(d.Feed("[").empty());
  EXPECT_EQ(d.Feed("C"), std::vector<K>{K::StepForward});
  // Ctrl+Right, up, a function key: nothing, and what follows still counts.
  EXPECT_EQ(d.Feed("\033[1;5C\033[A\033[15~ "), std::vector<K>{K::Pause});
  // An ESC followed by a plain key: the key counts.
  EXPECT_EQ(d.Feed("\033q"), std::vector<K>{K::Quit});
}

TEST(TerminalPlayerTest, PauseStepsAndTheEnd) {
  PlayerState s(FrameRange{2, 4}, 10, 1.0, false);
  s.Start(kStart);
  EXPECT_EQ(s.Frame(), 2);
  EXPECT_EQ(s.Deadline(), kStart + 100ms);
  EXPECT_FALSE(s.OnDeadline(kStart + 99ms));
  EXPECT_TRUE(s.OnDeadline(kStart + 100ms));
  EXPECT_EQ(s.Frame(), 3);

  // Arrows do nothing while playing; paused they step within the range.
  EXPECT_FALSE(s.OnKey(PlayerKey::StepForward, kStart + 110ms));
  EXPECT_FALSE(s.OnKey(PlayerKey::Pause, kStart + 120ms));
  EXPECT_TRUE(s.Paused());
  EXPECT_EQ(s.Deadline(), std::nullopt);
  EXPECT_TRUE(s.OnKey(PlayerKey::StepForward, kStart + 130ms));
  EXPECT_EQ(s.Frame(), 4);
  EXPECT_FALSE(s.OnKey(PlayerKey::StepForward, kStart + 140ms));  // no wrap playing once
  EXPECT_TRUE(s.OnKey(PlayerKey::StepBack, kStart + 150ms));
  EXPECT_TRUE(s.OnKey(PlayerKey::StepBack, kStart + 160ms));
  EXPECT_FALSE(s.OnKey(PlayerKey::StepBack, kStart + 170ms));
  EXPECT_EQ(s.Frame(), 2);

  // Going on, the frame on screen gets its whole period.
  s.OnKey(PlayerKey::Pause, kStart + 1s);
  EXPECT_EQ(s.Deadline(), kStart + 1100ms);
  EXPECT_TRUE(s.OnDeadline(kStart + 1100ms));
  EXPECT_TRUE(s.OnDeadline(kStart + 1200ms));
  EXPECT_EQ(s.Frame(), 4);
  EXPECT_FALSE(s.OnDeadline(kStart + 1300ms));  // the last frame had its time
  EXPECT_TRUE(s.Finished());
  EXPECT_EQ(s.Frame(), 4);

  PlayerState loop(FrameRange{0, 1}, 10, 1.0, true);
  loop.Start(kStart);
  EXPECT_TRUE(loop.OnDeadline(kStart + 100ms));
  EXPECT_TRUE(loop.OnDeadline(kStart + 200ms));
  EXPECT_EQ(loop.Frame(), 0);
  loop.OnKey(PlayerKey::Pause, kStart + 210ms);
  EXPECT_TRUE(loop.OnKey(PlayerKey::StepBack, kStart + 220ms));  // wraps when looping
  EXPECT_EQ(loop.Frame(), 1);
  loop.OnKey(PlayerKey::Quit, kStart + 230ms);
  EXPECT_TRUE(loop.Finished());
}

TEST(TerminalPlayerTest, FrameLayoutWrapsLikeTheTerminal) {
  const auto utf8 = Utf8();
  // CR LF and LF start a row, a lone CR goes back to the start of the row
  // (as on the console); ESC shows as a blank, a bell as nothing.
  EXPECT_EQ(Bytes(LayOutFrame("a\r\nb\nc\rd\033[31m\a", utf8, 0, 0)),
            (std::vector<std::string>{"a", "b", "d [31m"}));
  // A tab reaches the next multiple of 8.
  const Picture tabbed = LayOutFrame("ab\tc", utf8, 0, 0);
  EXPECT_EQ(tabbed[0].bytes, "ab      c");
  EXPECT_EQ(tabbed[0].width, 9);
  // Chinese takes two columns; one that does not fit goes to the next row.
  const Picture wide = LayOutFrame(Gbk("abc中文字"), utf8, 4, 0);
  ASSERT_EQ(wide.size(), 3u);
  EXPECT_EQ(wide[0].bytes, "abc");
  EXPECT_EQ(wide[1].bytes, "中文");
  EXPECT_EQ(wide[1].width, 4);
  EXPECT_EQ(wide[2].bytes, "字");
  // Not taller than the screen; trailing empty rows dropped.
  EXPECT_EQ(Bytes(LayOutFrame("1\r\n2\r\n3\r\n4", utf8, 80, 2)),
            (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(Bytes(LayOutFrame("x\r\n\r\n\r\n", utf8, 80, 25)), std::vector<std::string>{"x"});
  EXPECT_TRUE(LayOutFrame("", utf8, 80, 25).empty());
  // A GBK terminal gets the bytes; a broken character shows as '?'.
  const auto gbk = platform::TerminalEncoding::ForCodeset("GB18030");
  EXPECT_EQ(LayOutFrame(Gbk("中") + "\x81", gbk, 0, 0)[0].bytes, Gbk("中") + "?");
  EXPECT_EQ(LayOutFrame("\x81\x20x", utf8, 0, 0)[0].bytes, "? x");
}

TEST(TerminalPlayerTest, LocaleRuleMatchesTheConsoleLayer) {
  std::map<std::string, std::string> env;
  auto get = [&](const char* name) -> const char* {
    const auto it = env.find(name);
    return it == env.end() ? nullptr : it->second.c_str();
  };
  env = {{"LC_ALL", ""}, {"LC_CTYPE", "zh_CN.GBK"}, {"LANG", "en_US.UTF-8"}};
  EXPECT_TRUE(platform::TerminalEncoding::FromLocaleVariables(get).PassesBytes());
  env = {{"LANG", "zh_CN.gb18030@euro"}};
  EXPECT_TRUE(platform::TerminalEncoding::FromLocaleVariables(get).PassesBytes());
  env = {{"LC_ALL", "C"}, {"LC_CTYPE", "zh_CN.GBK"}};  // names no encoding: UTF-8
  std::string out;
  platform::TerminalEncoding::FromLocaleVariables(get).AppendChar(Gbk("中"), out);
  EXPECT_EQ(out, "中");
  env = {{"LANG", "zh_TW.BIG5"}};
  out.clear();
  platform::TerminalEncoding::FromLocaleVariables(get).AppendChar(Gbk("中"), out);
  EXPECT_EQ(out, "\xA4\xA4");
}

// Only an encoding in which ASCII is ASCII and nothing shifts is used; any
// other, and a name iconv does not know, gives UTF-8 and says why.
TEST(TerminalPlayerTest, EncodingsThatCannotCarryTextGiveWayToUtf8) {
  using Fallback = platform::TerminalEncoding::Fallback;
  for (const char* name : {"UTF-16", "UTF-16LE", "UTF-32", "UTF-7", "ISO-2022-CN", "ISO-2022-JP",
                           "ISO-2022-KR", "IBM037"}) {
    const auto encoding = platform::TerminalEncoding::ForCodeset(name);
    EXPECT_EQ(encoding.Refusal(), Fallback::Unsafe) << name;
    EXPECT_EQ(encoding.RefusedName(), name);
    std::string out;
    encoding.AppendChar(Gbk("中"), out);
    encoding.AppendChar("a", out);
    EXPECT_EQ(out, "中a") << name;
  }
  const auto unknown = platform::TerminalEncoding::ForCodeset("NO-SUCH\033]0;x");
  EXPECT_EQ(unknown.Refusal(), Fallback::Unknown);
  EXPECT_EQ(unknown.RefusedName(), "NO-SUCH\033]0;x");  // quoted where it is shown
  for (const char* name : {"UTF-8", "utf8", "GBK", "BIG5", "ISO-8859-1", "EUC-JP", "KOI8-R"})
    EXPECT_EQ(platform::TerminalEncoding::ForCodeset(name).Refusal(), Fallback::None) << name;
}

// Whatever the encoding, what comes out of a GBK character is never a
// control: a lead byte alone (at the end, before a non-second byte), 0x80
// and 0xFF become '?', as do C0 controls other than tab.
TEST(TerminalPlayerTest, NothingConvertedIsAControl) {
  const auto convert = [](const char* codeset, std::initializer_list<std::string> chars) {
    const auto encoding = platform::TerminalEncoding::ForCodeset(codeset);
    std::string out;
    for (const std::string& c : chars) encoding.AppendChar(c, out);
    return out;
  };
  for (const char* codeset : {"GBK", "GB18030", "UTF-8", "ISO-8859-1"}) {
    EXPECT_EQ(convert(codeset, {"\x9b", "\x81", "0", "\xff", "\x1b", "\x7f", "\t", "\x9b "}),
              "??0???\t??")
        << codeset;
  }
  EXPECT_EQ(convert("GB18030", {"\x80"}), "?");
  EXPECT_EQ(convert("UTF-8", {"\x80"}), "€");  // code page 936's single-byte euro
  EXPECT_EQ(convert("ISO-8859-1", {Gbk("é"), Gbk("中")}), "\xE9??");
  EXPECT_EQ(convert("GBK", {Gbk("中")}), Gbk("中"));
}

TEST(TerminalPlayerTest, OnlyChangedRowsAreWritten) {
  const auto utf8 = Utf8();
  const Picture one = LayOutFrame("abc\r\nxyz\r\nlast", utf8, 80, 25);
  // First: everything, from the corner, each row cleared to its end.
  EXPECT_EQ(DrawPicture(nullptr, one, 80, 25), "\033[Habc\033[K\r\nxyz\033[K\r\nlast\033[K\033[J");
  // One row differs: only that row.
  const Picture two = LayOutFrame("abc\r\nxYz\r\nlast", utf8, 80, 25);
  EXPECT_EQ(DrawPicture(&one, two, 80, 25), "\033[2;1HxYz\033[K");
  EXPECT_EQ(DrawPicture(&two, two, 80, 25), "");
  // Fewer rows: the rest of the screen is cleared.
  const Picture shorter = LayOutFrame("abc\r\nxy", utf8, 80, 25);
  EXPECT_EQ(DrawPicture(&two, shorter, 80, 25), "\033[2;1Hxy\033[K\033[J");
  EXPECT_EQ(DrawPicture(&two, Picture{}, 80, 25), "\033[H\033[J");
  // A row that fills the width gets no "clear to end of line", which would
  // take its last character; the next row is reached by position.
  const Picture full = LayOutFrame("abcd\r\nef", utf8, 4, 25);
  EXPECT_EQ(DrawPicture(nullptr, full, 4, 25), "\033[Habcd\033[2;1Hef\033[K\033[J");
  // A picture as tall as the screen: nothing below to clear.
  EXPECT_EQ(DrawPicture(nullptr, LayOutFrame("a\r\nb", utf8, 4, 2), 4, 2),
            "\033[Ha\033[K\r\nb\033[K");
}

TEST(TerminalPlayerTest, ColoursAsTheConsoleLayerMapsThem) {
  EXPECT_EQ(ColorSequence("07"), "\033[0;40;37m");
  EXPECT_EQ(ColorSequence("1E"), "\033[0;44;93m");
  EXPECT_EQ(ColorSequence("af"), "\033[0;102;97m");
  EXPECT_EQ(ColorSequence("5"), "\033[0;40;35m");
  EXPECT_EQ(ColorSequence("77"), "");
  EXPECT_EQ(ColorSequence(""), "");
  EXPECT_EQ(ColorSequence(Gbk("读取错误")), "");
  EXPECT_EQ(ColorSequence("0G"), "");
  EXPECT_EQ(EnterSequence("0A"), "\033[?25l\033[0;40;92m");
  EXPECT_EQ(LeaveSequence(Picture(3)), "\033[0m\033[3;1H\r\n\033[?25h");
  EXPECT_EQ(LeaveSequence(Picture{}), "\033[0m\033[?25h");
}

TEST(TerminalPlayerTest, PlainFramesForPipes) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const auto frames = Frames({"a\r\nb", "", Gbk("中\033[2J\f") + "\r\n", "\tz", "not this"});
  ASSERT_TRUE(PlayPlain(*frames, FrameRange{0, 3}, Utf8(), fds[1]));
  ::close(fds[1]);
  std::string out;
  char buffer[256];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, n);
  ::close(fds[0]);
  EXPECT_EQ(out, "a\nb\n\f\n\f\n中[2J\n\n\f\n\tz\n");
}

namespace {

// A terminal whose clock moves only when the player waits (to the deadline
// or to the next scripted key) or writes (by `writeCost`).
class FakeTerminal : public PlayerTerminal {
 public:
  SteadyTime now = kStart;
  std::chrono::nanoseconds writeCost{0};
  std::multimap<SteadyTime, std::string> keys;  // typed at
  std::set<SteadyTime> redrawAt;
  struct Write {
    SteadyTime at;
    std::string bytes;
  };
  std::vector<Write> writes;
  std::string leave;
  platform::TerminalSize size{80, 25};
  bool redraw = false;

  SteadyTime Now() override { return now; }
  std::string Wait(std::optional<SteadyTime> deadline) override {
    const auto key = keys.begin();
    const auto stop = redrawAt.begin();
    SteadyTime wake = deadline.value_or(SteadyTime::max());
    if (key != keys.end()) wake = std::min(wake, key->first);
    if (stop != redrawAt.end()) wake = std::min(wake, *stop);
    if (wake == SteadyTime::max()) {
      ADD_FAILURE() << "waits for ever";
      return "q";
    }
    now = std::max(now, wake);
    if (stop != redrawAt.end() && *stop <= now) {
      redraw = true;
      redrawAt.erase(stop);
    }
    if (key != keys.end() && key->first <= now) {
      std::string typed = key->second;
      keys.erase(key);
      return typed;
    }
    return {};
  }
  bool TakeRedraw() override { return std::exchange(redraw, false); }
  platform::TerminalSize Size() override { return size; }
  bool Write(std::string_view bytes) override {
    writes.push_back({now, std::string(bytes)});
    now += writeCost;
    return true;
  }
  void SetLeave(std::string_view bytes) override { leave = bytes; }
};

}  // namespace

// 1,000 frames at 100 per second: each written on its deadline although
// every write takes 3 ms, and playing ends 10 s after it began.
TEST(TerminalPlayerTest, LoopPacesAgainstDeadlinesAndWritesDifferences) {
  std::vector<std::string> texts;
  for (int i = 0; i < 1000; ++i) texts.push_back("title\r\nframe " + std::to_string(i));
  FakeTerminal t;
  t.writeCost = 3ms;
  const PlayCounts counts = PlayInTerminal(*Frames(texts, 100), {{0, 999}, 1.0, false}, Utf8(), t);
  EXPECT_TRUE(counts.ok);
  EXPECT_EQ(counts.framesShown, 1000);
  ASSERT_EQ(t.writes.size(), 1000u);
  for (int k = 0; k < 1000; ++k) ASSERT_EQ(t.writes[k].at, kStart + k * 10ms) << k;
  EXPECT_EQ(t.now, kStart + 10s);
  EXPECT_EQ(t.writes[0].bytes, "\033[Htitle\033[K\r\nframe 0\033[K\033[J");
  EXPECT_EQ(t.writes[1].bytes, "\033[2;1Hframe 1\033[K");
  // The last frame stays; the prompt comes below it.
  EXPECT_EQ(t.leave, "\033[0m\033[2;1H\r\n\033[?25h");
}

TEST(TerminalPlayerTest, KeysAndRedrawWhilePlaying) {
  FakeTerminal t;
  t.keys.insert({kStart + 5ms, " "});        // pause on frame 1
  t.keys.insert({kStart + 1s, "\033[C"});    // step to frame 2
  t.keys.insert({kStart + 2s, "\033[C"});    // frame 3
  t.keys.insert({kStart + 3s, "\033[C"});    // wraps to frame 1 (looping)
  t.redrawAt.insert(kStart + 4s);            // back from Ctrl+Z: all again
  t.keys.insert({kStart + 5s, " "});         // go on
  t.keys.insert({kStart + 5s + 15ms, "q"});  // frame 2 is on screen
  const PlayCounts counts =
      PlayInTerminal(*Frames({"A", "B", "C"}, 100), {{0, 2}, 1.0, true}, Utf8(), t);
  EXPECT_EQ(counts.framesShown, 5);
  std::vector<std::pair<std::chrono::milliseconds, std::string>> seen;
  for (const auto& w : t.writes)
    seen.push_back({std::chrono::duration_cast<std::chrono::milliseconds>(w.at - kStart), w.bytes});
  const std::vector<std::pair<std::chrono::milliseconds, std::string>> expected = {
      {0ms, "\033[HA\033[K\033[J"}, {1000ms, "\033[HB\033[K"},       {2000ms, "\033[HC\033[K"},
      {3000ms, "\033[HA\033[K"},    {4000ms, "\033[HA\033[K\033[J"}, {5010ms, "\033[HB\033[K"}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(t.now, kStart + 5s + 15ms);
}

// The status row: below the canvas (or a taller frame), playing or paused,
// the speed, the frame while paused; rewritten only when that changes;
// erased at the end; cut to the width; absent without a row to spare.
TEST(TerminalPlayerTest, StatusRowBelowTheCanvas) {
  const std::string playing = "播放中 · 速度 1 倍 · 空格 暂停  + - 快慢  q 退出";
  FakeTerminal t;
  t.keys.insert({kStart + 5ms, "+"});
  t.keys.insert({kStart + 6ms, " "});
  t.keys.insert({kStart + 7ms, "q"});
  playback::PlaySettings settings{{0, 2}, 1.0, true};
  settings.statusRow = true;
  const auto animation = Frames({"A", "B\r\nb\r\nt", "C"}, 100, 2);
  PlayInTerminal(*animation, settings, Utf8(), t);
  ASSERT_EQ(t.writes.size(), 3u);
  EXPECT_EQ(t.writes[0].bytes, "\033[HA\033[K\r\n\033[K\r\n" + playing + "\033[K\033[J");
  EXPECT_EQ(t.writes[1].bytes,
            "\033[3;1H播放中 · 速度 1.25 倍 · 空格 暂停  + - 快慢  q 退出\033[K");
  EXPECT_EQ(t.writes[2].bytes,
            "\033[3;1H已暂停 · 第 1 帧 · 速度 1.25 倍 · 空格 继续  ← → 逐帧  q 退出\033[K");
  EXPECT_EQ(t.leave, "\033[0m\033[3;1H\033[K\033[H\r\n\033[?25h");

  // A frame taller than the canvas pushes it down, the next takes it back.
  settings.loop = false;
  FakeTerminal tall;
  PlayInTerminal(*animation, settings, Utf8(), tall);
  ASSERT_EQ(tall.writes.size(), 3u);
  EXPECT_EQ(tall.writes[1].bytes, "\033[HB\033[K\r\nb\033[K\r\nt\033[K\r\n" + playing + "\033[K");
  EXPECT_EQ(tall.writes[2].bytes, "\033[HC\033[K\r\n\033[K\r\n" + playing + "\033[K\033[J");
  EXPECT_EQ(tall.leave, "\033[0m\033[3;1H\033[K\033[H\r\n\033[?25h");

  // Short of the last column of a narrow terminal: of 12 columns, 11 hold
  // text, and "速" would need the 11th and the 12th.
  settings.range = {0, 0};
  FakeTerminal narrow;
  narrow.size = {12, 25};
  PlayInTerminal(*Frames({"A"}, 100, 2), settings, Utf8(), narrow);
  ASSERT_EQ(narrow.writes.size(), 1u);
  EXPECT_EQ(narrow.writes[0].bytes, "\033[HA\033[K\r\n\033[K\r\n播放中 · \033[K\033[J");

  // No row to spare below the canvas.
  FakeTerminal full;
  full.size = {80, 2};
  PlayInTerminal(*Frames({"A"}, 100, 2), settings, Utf8(), full);
  ASSERT_EQ(full.writes.size(), 1u);
  EXPECT_EQ(full.writes[0].bytes, "\033[HA\033[K\033[J");
  EXPECT_EQ(full.leave, "\033[0m\033[H\r\n\033[?25h");
}

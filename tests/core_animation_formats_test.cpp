// The web page, GIF and asciicast writers: each file is read back (JSON
// parsed, GIF decoded with giflib) and compared with what the console shows.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "HtmlPageReader.h"
#include "TestSupport.h"
#include "playback/TerminalPlayer.h"
#include "share/AnimationFormats.h"
#include "share/FrameCanvas.h"

using document::Animation;
using document::MakeFrameText;

using output::GifOptions;
using output::kFormatBadFont;
using output::kFormatCannotCreate;
using output::WriteCastAnimation;
using output::WriteGifAnimation;
using output::WriteHtmlAnimation;

namespace formats = output::formats;

using testsupport::Gbk;
using testsupport::ReadFile;
using testsupport::TempDir;

namespace {

// A small JSON reader, enough to read back what the writers embed.
struct Json {
  std::variant<std::nullptr_t, bool, double, std::string, std::vector<Json>,
               std::map<std::string, Json>>
      v;
  const std::string& str() const { return std::get<std::string>(v); }
  double num() const { return std::get<double>(v); }
  const std::vector<Json>& arr() const { return std::get<std::vector<Json>>(v); }
  const Json& operator[](const std::string& key) const {
    return std::get<std::map<std::string, Json>>(v).at(key);
  }
  bool has(const std::string& key) const {
    return std::get<std::map<std::string, Json>>(v).count(key) > 0;
  }
};

class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : m_s(text) {}
  Json ReadAll() {
    Json j = Value();
    Skip();
    if (m_p != m_s.size()) throw std::runtime_error("trailing text");
    return j;
  }

 private:
  void Skip() {
    while (m_p < m_s.size() && std::strchr(" \t\r\n", m_s[m_p])) ++m_p;
  }
  char Peek() {
    Skip();
    if (m_p >= m_s.size()) throw std::runtime_error("unexpected end");
    return m_s[m_p];
  }
  void Expect(char c) {
    if (Peek() != c) throw std::runtime_error(std::string("expected ") + c);
    ++m_p;
  }
  Json Value() {
    const char c = Peek();
    if (c == '{') {
      ++m_p;
      std::map<std::string, Json> obj;
      if (Peek() == '}') return ++m_p, Json{obj};
      for (;;) {
        std::string key = String();
        Expect(':');
        obj[key] = Value();
        if (Peek() == '}') return ++m_p, Json{obj};
        Expect(',');
      }
    }
    if (c == '[') {
      ++m_p;
      std::vector<Json> arr;
      if (Peek() == ']') return ++m_p, Json{arr};
      for (;;) {
        arr.push_back(Value());
        if (Peek() == ']') return ++m_p, Json{arr};
        Expect(',');
      }
    }
    if (c == '"') return Json{String()};
    if (m_s.substr(m_p, 4) == "true") return m_p += 4, Json{true};
    if (m_s.substr(m_p, 5) == "false") return m_p += 5, Json{false};
    if (m_s.substr(m_p, 4) == "null") return m_p += 4, Json{nullptr};
    std::size_t end = m_p;
    while (end < m_s.size() && std::strchr("+-.0123456789eE", m_s[end])) ++end;
    if (end == m_p) throw std::runtime_error("bad value");
    const double d = std::stod(std::string(m_s.substr(m_p, end - m_p)));
    m_p = end;
    return Json{d};
  }
  std::string String() {
    Expect('"');
    std::string out;
    for (;;) {
      if (m_p >= m_s.size()) throw std::runtime_error("open string");
      const auto c = static_cast<unsigned char>(m_s[m_p++]);
      if (c == '"') return out;
      if (c < 0x20) throw std::runtime_error("raw control character in string");
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      const char e = m_s.at(m_p++);
      switch (e) {
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case '/':
        case '\\':
        case '"':
          out += e;
          break;
        case 'u': {
          char32_t cp = std::stoul(std::string(m_s.substr(m_p, 4)), nullptr, 16);
          m_p += 4;
          if (cp >= 0xD800 && cp <= 0xDBFF) {
            const char32_t lo = std::stoul(std::string(m_s.substr(m_p + 2, 4)), nullptr, 16);
            m_p += 6;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
          }
          formats::AppendUtf8(out, cp);
          break;
        }
        default:
          throw std::runtime_error("bad escape");
      }
    }
  }
  std::string_view m_s;
  std::size_t m_p = 0;
};

Json ParseJson(std::string_view text) { return JsonReader(text).ReadAll(); }

// A created animation holding the given frames (UTF-8 in the test, GBK in
// the document).
void Fill(Animation& animation, int wide, int high, int rate, const std::string& color,
          const std::vector<std::string>& framesUtf8) {
  animation.m_nAnimWide = wide;
  animation.m_nAnimHigh = high;
  animation.m_nRate = rate;
  animation.m_strColor = color;
  animation.m_strAnimName = Gbk("小猫 <b>&\"");
  for (const auto& f : framesUtf8) animation.m_frames.Append(MakeFrameText(Gbk(f)));
}

std::vector<std::string> Rows(const formats::FrameCanvas& c) {
  std::vector<std::string> rows;
  for (int r = 0; r < c.High(); ++r) rows.push_back(c.RowUtf8(r));
  return rows;
}

}  // namespace

TEST(FrameCanvas, LaysOutAsTheConsolePrints) {
  formats::FrameCanvas c(6, 3);
  // CJK takes two cells; CR LF and a lone LF start a row; a lone CR goes back
  // to the start of the row; text past the edge is cut; a tab moves to
  // column 8 (off this canvas); rows past the height are dropped.
  c.Layout(Gbk("中a文\r\nabcdefgh\nxyz\rQ\n4th row"));
  EXPECT_EQ(Rows(c), (std::vector<std::string>{"中a文", "abcdef", "Qyz"}));
  EXPECT_EQ(c.At(0, 0), U'中');
  EXPECT_EQ(c.At(1, 0), formats::kWideTail);
  EXPECT_EQ(c.At(2, 0), U'a');
  EXPECT_EQ(c.RowLength(0), 5);

  // A two-byte character that would straddle the right edge is left out.
  c.Layout(Gbk("abcde中\r\n\tx"));
  EXPECT_EQ(Rows(c), (std::vector<std::string>{"abcde", "", ""}));
  EXPECT_EQ(c.At(5, 0), U' ');

  // Printing over half of a two-byte character blanks the other half; a
  // second byte 0x5C is part of its character; stray bytes are '?'.
  c.Layout(Gbk("中文\rx") + "\r\n" + Gbk("乗") + "\\\x80\x81");
  EXPECT_EQ(Rows(c), (std::vector<std::string>{"x 文", "乗\\??", ""}));
}

TEST(FrameCanvas, ColorCodeReadLikeTheConsole) {
  auto is = [](const char* code, int back, int fore) {
    const auto c = document::ShownColors(code);
    return c.back == back && c.fore == fore;
  };
  EXPECT_TRUE(is("9F", 9, 15));
  EXPECT_TRUE(is("af", 10, 15));
  EXPECT_TRUE(is("E", 0, 14));
  // Equal digits, nothing, garbage and more than two digits: the console's 07.
  EXPECT_TRUE(is("77", 0, 7));
  EXPECT_TRUE(is("", 0, 7));
  EXPECT_TRUE(is("\xB6\xC1\xC8\xA1", 0, 7));
  EXPECT_TRUE(is("1F0", 0, 7));
  EXPECT_EQ(formats::CssColor(9), "#0000FF");
  EXPECT_EQ(formats::CssColor(7), "#C0C0C0");
}

// ---- web page ---------------------------------------------------------------

namespace {

const char kDataOpen[] = "<script type=\"application/json\" id=\"zoetrix-animation\">";

Json PageData(const std::string& page) {
  const auto open = page.find(kDataOpen);
  EXPECT_NE(open, std::string::npos);
  const auto from = open + sizeof kDataOpen - 1;
  const auto close = page.find("</script>", from);
  EXPECT_NE(close, std::string::npos);
  return ParseJson(std::string_view(page).substr(from, close - from));
}

}  // namespace

TEST(HtmlAnimation, EmbedsEveryFrameAsTheCanvasShowsIt) {
  TempDir dir;
  Animation animation;
  Fill(animation, 10, 3, 12, "9F",
       {"中文 ok\r\nline2", "a&b<!--\r\n</script>", "", "0123456789ABCDEF\r\n\r\n\r\nrow4",
        "\u2500\u2500\t|"});
  const std::string path = (dir.path() / "cat.html").string();
  std::string error;
  ASSERT_TRUE(WriteHtmlAnimation(animation, path, &error)) << error;
  const std::string page = ReadFile(path);

  // Frame text cannot break out of its script block: the name is escaped,
  // the pictures travel in base64.
  const auto open = page.find(kDataOpen);
  const auto close = page.find("</script>", open);
  const std::string block = page.substr(open + sizeof kDataOpen - 1, close - open);
  EXPECT_EQ(block.find("<!--"), std::string::npos);
  EXPECT_EQ(block.find('&'), std::string::npos);

  const Json data = PageData(page);
  EXPECT_EQ(data["width"].num(), 10);
  EXPECT_EQ(data["height"].num(), 3);
  EXPECT_EQ(data["rate"].num(), 12);
  EXPECT_EQ(data["name"].str(), "小猫 <b>&\"");
  EXPECT_EQ(data["frames"].num(), 5);
  const testsupport::PagePictures read = testsupport::ReadPagePictures(page);
  EXPECT_EQ(read.Frames(), (std::vector<std::string>{
                               "中文 ok\nline2", "a&b<!--\n</script>", "", "0123456789",
                               "\u2500\u2500    |"  // two-byte box drawing: two cells each
                           }));

  // The name is escaped in the title; the colours are the console's.
  EXPECT_NE(page.find("<title>小猫 &lt;b&gt;&amp;&quot;</title>"), std::string::npos);
  EXPECT_NE(page.find("background: #0000FF; color: #FFFFFF;"), std::string::npos);
  // Nothing is fetched from elsewhere.
  EXPECT_EQ(page.find("http"), std::string::npos);
  EXPECT_EQ(page.find(" src="), std::string::npos);
}

// The page plays on the animation's clock: the rate its script is given is
// the one every player keeps, a rate below 1 playing as 1.
TEST(HtmlAnimation, ScriptIsGivenTheRateEveryPlayerKeeps) {
  TempDir dir;
  for (const int rate : {-3, 0, 1, 7, 100}) {
    Animation doc;
    Fill(doc, 4, 1, rate, "07", {"a", "b"});
    const std::string path = (dir.path() / (std::to_string(rate + 10) + ".html")).string();
    std::string error;
    ASSERT_TRUE(WriteHtmlAnimation(doc, path, &error)) << error;
    EXPECT_EQ(PageData(ReadFile(path))["rate"].num(), document::PlayRate(rate)) << rate;
  }
}

TEST(HtmlAnimation, JsonEscapingKeepsScriptBlocksWhole) {
  std::string out;
  formats::AppendJsonString(out, "a\"\\\n\x01</script>\u2028\u2029&");
  EXPECT_EQ(out, "\"a\\\"\\\\\\n\\u0001\\u003c/script\\u003e\\u2028\\u2029\\u0026\"");
  EXPECT_EQ(ParseJson(out).str(), "a\"\\\n\x01</script>\u2028\u2029&");
  // Other text, an ellipsis (the same first byte as U+2028) and a cut
  // sequence at the end included, goes out as it is.
  out.clear();
  formats::AppendJsonString(out, "\u4e2d x\u2026\u2027\xe2\x80");
  EXPECT_EQ(out, "\"\u4e2d x\u2026\u2027\xe2\x80\"");
}

TEST(HtmlAnimation, FailureLeavesNothingBehind) {
  TempDir dir;
  Animation animation;
  Fill(animation, 10, 3, 12, "07", {"x"});
  std::string error;
  const std::string path = (dir.path() / "missing" / "a.html").string();
  EXPECT_FALSE(WriteHtmlAnimation(animation, path, &error));
  EXPECT_EQ(error.rfind(kFormatCannotCreate, 0), 0u) << error;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));
}

// ---- asciicast --------------------------------------------------------------

namespace {

std::vector<Json> CastLines(const std::string& text) {
  std::vector<Json> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    const auto nl = text.find('\n', at);
    EXPECT_NE(nl, std::string::npos) << "every line ends in a line feed";
    lines.push_back(ParseJson(std::string_view(text).substr(at, nl - at)));
    at = nl + 1;
  }
  return lines;
}

// The rows a terminal shows for an event's data, read without a terminal:
// control sequences dropped, rows split at CR LF.
std::vector<std::string> ScreenRows(const std::string& data) {
  std::vector<std::string> rows(1);
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '\x1b' && i + 1 < data.size() && data[i + 1] == '[') {
      i += 2;
      while (i < data.size() && !(data[i] >= 0x40 && data[i] <= 0x7E)) ++i;
      continue;
    }
    if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') {
      rows.emplace_back();
      ++i;
      continue;
    }
    rows.back() += data[i];
  }
  return rows;
}

}  // namespace

TEST(CastAnimation, OneEventPerFrameAtItsTime) {
  TempDir dir;
  Animation animation;
  Fill(animation, 8, 3, 3, "9F", {"中文ab\r\nx", "", "\u2500|\r\n\r\nlast row", "abcdefgh"});
  const std::string path = (dir.path() / "cat.cast").string();
  std::string error;
  ASSERT_TRUE(WriteCastAnimation(animation, path, &error)) << error;
  const auto lines = CastLines(ReadFile(path));
  ASSERT_EQ(lines.size(), 5u);

  const Json& header = lines[0];
  EXPECT_EQ(header["version"].num(), 2);
  EXPECT_EQ(header["width"].num(), 8);
  EXPECT_EQ(header["height"].num(), 3);
  EXPECT_EQ(header["title"].str(), "小猫 <b>&\"");
  EXPECT_EQ(header["theme"]["bg"].str(), "#0000FF");
  EXPECT_EQ(header["theme"]["fg"].str(), "#FFFFFF");

  const std::vector<std::vector<std::string>> expected = {
      {"中文ab", "x", ""}, {"", "", ""}, {"\u2500|", "", "last row"}, {"abcdefgh", "", ""}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& event = lines[i + 1].arr();
    ASSERT_EQ(event.size(), 3u);
    EXPECT_NEAR(event[0].num(), static_cast<double>(i) / 3, 1e-6);
    EXPECT_EQ(event[1].str(), "o");
    const std::string& data = event[2].str();
    // Drawn in place from the top-left corner in the console colours
    // (light blue background, bright white characters).
    EXPECT_NE(data.find("\x1b[H\x1b[0;104;97m"), std::string::npos) << i;
    EXPECT_EQ(ScreenRows(data), expected[i]) << i;
  }
  // A full row must not be followed by "clear to end of line", which would
  // erase its last character; a short one must be.
  const std::string& full = lines[4].arr()[2].str();
  EXPECT_EQ(full.find("abcdefgh\x1b[K"), std::string::npos);
  EXPECT_NE(lines[1].arr()[2].str().find("ab\x1b[K"), std::string::npos);
  // A character not every terminal draws two cells wide is followed by a
  // cursor move to where the console would be.
  EXPECT_NE(lines[3].arr()[2].str().find("\x1b[2X\u2500\x1b[3G|"), std::string::npos);
}

// ---- titles -------------------------------------------------------------------

// A name holding control characters (an ESC sequence, a bell, a tab, a line
// break, DEL) and bytes that start no character (0x80, a lead byte at the
// end): the page's title and data and the recording's title show them as
// the canvas does, as blanks and '?', never as controls.
TEST(AnimationTitles, ControlsInTheNameAreCleaned) {
  TempDir dir;
  Animation animation;
  Fill(animation, 8, 3, 3, "07", {"x"});
  animation.m_strAnimName = Gbk("猫") + "\x1b]0;x\x07" + "a\tb\r\nc\x7f\x80" + "d\x9b";
  const std::string title = "猫 ]0;x a b  c ?d?";
  std::string error;
  const std::string page = (dir.path() / "a.html").string(),
                    cast = (dir.path() / "a.cast").string();
  ASSERT_TRUE(WriteHtmlAnimation(animation, page, &error)) << error;
  ASSERT_TRUE(WriteCastAnimation(animation, cast, &error)) << error;
  const std::string html = ReadFile(page);
  EXPECT_NE(html.find("<title>" + title + "</title>"), std::string::npos);
  EXPECT_EQ(PageData(html)["name"].str(), title);
  EXPECT_EQ(CastLines(ReadFile(cast))[0]["title"].str(), title);
}

// The recording and the terminal player read a colour code the same way:
// the same colours for the same code, blanks and odd codes included; where
// the player leaves the terminal's colours the recording shows the console's
// own 07.
TEST(AsciiCast, ColourCodeReadAsThePlayerReadsIt) {
  TempDir dir;
  int n = 0;
  for (const char* code : {"1E", " 1E", "1E\t", " c ", "af", "77", "1 E", "0G", "", "  "}) {
    SCOPED_TRACE(std::string("[") + code + "]");
    Animation animation;
    Fill(animation, 4, 1, 5, code, {"ab"});
    std::string error;
    const std::string path = (dir.path() / (std::to_string(++n) + ".cast")).string();
    ASSERT_TRUE(WriteCastAnimation(animation, path, &error)) << error;
    const auto lines = CastLines(ReadFile(path));
    ASSERT_EQ(lines.size(), 2u);
    std::string player = playback::ColorSequence(code);
    if (player.empty()) player = "\x1b[0;40;37m";
    EXPECT_NE(lines[1].arr()[2].str().find("\x1b[H" + player), std::string::npos);
  }
}

// ---- GIF ----------------------------------------------------------------------

namespace {

struct GifDeleter {
  void operator()(GifFileType* g) const { DGifCloseFile(g, nullptr); }
};
using GifPtr = std::unique_ptr<GifFileType, GifDeleter>;

GifPtr Decode(const std::string& path) {
  int err = 0;
  GifPtr gif(DGifOpenFileName(path.c_str(), &err));
  EXPECT_TRUE(gif) << GifErrorString(err);
  if (gif) {
    EXPECT_EQ(DGifSlurp(gif.get()), GIF_OK);
  }
  return gif;
}

std::vector<int> Delays(GifFileType* gif) {
  std::vector<int> delays;
  for (int i = 0; i < gif->ImageCount; ++i) {
    GraphicsControlBlock gcb;
    EXPECT_EQ(DGifSavedExtensionToGCB(gif, i, &gcb), GIF_OK);
    delays.push_back(gcb.DelayTime);
  }
  return delays;
}

bool Loops(GifFileType* gif) {
  const SavedImage& first = gif->SavedImages[0];
  for (int i = 0; i + 1 < first.ExtensionBlockCount; ++i) {
    const ExtensionBlock& b = first.ExtensionBlocks[i];
    const ExtensionBlock& data = first.ExtensionBlocks[i + 1];
    if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
        std::memcmp(b.Bytes, "NETSCAPE2.0", 11) == 0 && data.ByteCount == 3 && data.Bytes[0] == 1 &&
        data.Bytes[1] == 0 && data.Bytes[2] == 0)
      return true;
  }
  return false;
}

// The picture after images 0..last, each drawn over the one before (its
// transparent pixels keep what was there), as 0xRRGGBB.
std::vector<std::uint32_t> Composite(GifFileType* gif, int last) {
  auto rgb = [&](int index) {
    const GifColorType& c = gif->SColorMap->Colors[index];
    return static_cast<std::uint32_t>(c.Red) << 16 | static_cast<std::uint32_t>(c.Green) << 8 |
           c.Blue;
  };
  std::vector<std::uint32_t> screen(static_cast<std::size_t>(gif->SWidth) * gif->SHeight,
                                    rgb(gif->SBackGroundColor));
  for (int i = 0; i <= last; ++i) {
    const SavedImage& img = gif->SavedImages[i];
    const GifImageDesc& d = img.ImageDesc;
    GraphicsControlBlock gcb;
    EXPECT_EQ(DGifSavedExtensionToGCB(gif, i, &gcb), GIF_OK);
    for (int y = 0; y < d.Height; ++y)
      for (int x = 0; x < d.Width; ++x) {
        const int index = img.RasterBits[static_cast<std::size_t>(y) * d.Width + x];
        if (index != gcb.TransparentColor)
          screen[static_cast<std::size_t>(d.Top + y) * gif->SWidth + d.Left + x] = rgb(index);
      }
  }
  return screen;
}

// Which colours appear in a cell of a picture.
std::set<std::uint32_t> CellColors(GifFileType* gif, const std::vector<std::uint32_t>& screen,
                                   int cols, int rows, int col, int row) {
  const int cw = gif->SWidth / cols, ch = gif->SHeight / rows;
  std::set<std::uint32_t> seen;
  for (int y = row * ch; y < (row + 1) * ch; ++y)
    for (int x = col * cw; x < (col + 1) * cw; ++x)
      seen.insert(screen[static_cast<std::size_t>(y) * gif->SWidth + x]);
  return seen;
}

}  // namespace

TEST(GifAnimation, DelaysAddUpToTheRate) {
  TempDir dir;
  const std::string path = (dir.path() / "a.gif").string();
  std::string error;
  // Each case writes over the one before: a writer replaces only when told to.
  const auto replace = platform::Replace::Yes;
  {
    // Rate 3: 33/33/34, the whole lasting exactly one second; loops.
    Animation animation;
    Fill(animation, 4, 2, 3, "07", {"a", "b", "c"});
    ASSERT_TRUE(WriteGifAnimation(animation, path, &error)) << error;
    GifPtr gif = Decode(path);
    ASSERT_TRUE(gif);
    EXPECT_EQ(Delays(gif.get()), (std::vector<int>{33, 33, 34}));
    EXPECT_TRUE(Loops(gif.get()));
  }
  {
    // Runs of identical frames are one image with their summed delay; a
    // different text that looks the same (blanks at the end) counts as
    // identical. Rate 7: starts 0,14,28,42,57,71,85, end 100.
    Animation animation;
    Fill(animation, 4, 2, 7, "07", {"a", "a", "a  ", "b", "a", "a", "a"});
    ASSERT_TRUE(WriteGifAnimation(animation, path, &error, {}, replace)) << error;
    GifPtr gif = Decode(path);
    ASSERT_TRUE(gif);
    EXPECT_EQ(Delays(gif.get()), (std::vector<int>{42, 15, 43}));
  }
  {
    // Rate 100: every frame would last 1/100 s, which viewers stretch to
    // 1/10 s; every other frame is left out instead, keeping the total.
    Animation animation;
    Fill(animation, 4, 2, 100, "07", {"a", "b", "c", "d"});
    ASSERT_TRUE(WriteGifAnimation(animation, path, &error, {}, replace)) << error;
    GifPtr gif = Decode(path);
    ASSERT_TRUE(gif);
    EXPECT_EQ(Delays(gif.get()), (std::vector<int>{2, 2}));
  }
  {
    // No frames: the blank canvas.
    Animation animation;
    Fill(animation, 4, 2, 24, "07", {});
    ASSERT_TRUE(WriteGifAnimation(animation, path, &error, {}, replace)) << error;
    GifPtr gif = Decode(path);
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->ImageCount, 1);
  }
}

TEST(GifAnimation, DrawsCellsInTheConsoleColours) {
  TempDir dir;
  const std::string path = (dir.path() / "a.gif").string();
  Animation animation;
  // Light blue background (9), bright white characters (F).
  Fill(animation, 6, 2, 10, "9F", {"\u2588 \u4E2D\r\n  x", "   \u2588"});
  std::string error;
  ASSERT_TRUE(WriteGifAnimation(animation, path, &error)) << error;
  GifPtr gif = Decode(path);
  ASSERT_TRUE(gif);
  ASSERT_EQ(gif->ImageCount, 2);
  ASSERT_EQ(gif->SWidth % 6, 0);
  ASSERT_EQ(gif->SHeight % 2, 0);
  const ColorMapObject* map = gif->SColorMap;
  ASSERT_TRUE(map);
  // The palette holds the console's light blue and bright white.
  const std::uint32_t blue = 0x0000FF, white = 0xFFFFFF;
  std::set<std::uint32_t> palette;
  for (int i = 0; i < map->ColorCount; ++i)
    palette.insert(static_cast<std::uint32_t>(map->Colors[i].Red) << 16 |
                   static_cast<std::uint32_t>(map->Colors[i].Green) << 8 | map->Colors[i].Blue);
  EXPECT_TRUE(palette.count(blue) && palette.count(white));

  // The first image: the full block (two bytes in GBK, so two cells) is
  // ink in the middle of both cells; blanks are background only; the CJK
  // character reaches into its second cell.
  auto screen = Composite(gif.get(), 0);
  const int cw = gif->SWidth / 6, ch = gif->SHeight / 2;
  auto pixel = [&](int x, int y) { return screen[static_cast<std::size_t>(y) * gif->SWidth + x]; };
  // (The block is a narrow glyph in this font, centred across its two cells.)
  EXPECT_EQ(pixel(cw, ch / 2), white);
  EXPECT_EQ(CellColors(gif.get(), screen, 6, 2, 2, 0), (std::set<std::uint32_t>{blue}));
  EXPECT_EQ(CellColors(gif.get(), screen, 6, 2, 4, 0), (std::set<std::uint32_t>{blue, white}));
  EXPECT_EQ(CellColors(gif.get(), screen, 6, 2, 2, 1), (std::set<std::uint32_t>{blue, white}));

  // The second image covers only what changed; drawn over the first it
  // shows the second frame: the block moved right, the rest blank.
  EXPECT_LT(gif->SavedImages[1].ImageDesc.Width, gif->SWidth);
  screen = Composite(gif.get(), 1);
  for (int col : {0, 1, 2, 5})
    EXPECT_EQ(CellColors(gif.get(), screen, 6, 2, col, 0), (std::set<std::uint32_t>{blue})) << col;
  EXPECT_EQ(CellColors(gif.get(), screen, 6, 2, 2, 1), (std::set<std::uint32_t>{blue}));
  EXPECT_EQ(pixel(4 * cw, ch / 2), white);
}

TEST(GifAnimation, BadFontIsReportedAndNothingWritten) {
  TempDir dir;
  const auto path = dir.path() / "a.gif";
  Animation animation;
  Fill(animation, 4, 2, 10, "07", {"a"});
  GifOptions options;
  options.fontPath = (dir.path() / "no-such-font.ttf").string();
  std::string error;
  EXPECT_FALSE(WriteGifAnimation(animation, path.string(), &error, options));
  EXPECT_EQ(error.rfind(kFormatBadFont, 0), 0u) << error;
  EXPECT_FALSE(std::filesystem::exists(path));
}

#include "picture/CharacterPicture.h"

#include <chafa.h>

#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_map>

#include "platform/Cp936.h"

namespace picture {

namespace {

// The characters of each set, before the ones GBK cannot hold are left out.
struct Range {
  char32_t first, last;
};
constexpr Range kBlockRanges[] = {{0x2580, 0x259F}, {0x25A0, 0x25A0}, {0x25E2, 0x25E5}};
constexpr Range kLineRanges[] = {{0x2500, 0x257F}};

// The GBK bytes of a code point, empty when GBK does not hold it.
std::string GbkOf(char32_t cp) {
  std::string utf8;
  platform::cp936::AppendUtf8(utf8, cp);
  platform::cp936::GbkResult gbk = platform::cp936::ToGbk(utf8);
  return gbk.ok() ? gbk.bytes : std::string();
}

ChafaDitherMode ChafaDither(Dither dither) {
  switch (dither) {
    case Dither::None:
      return CHAFA_DITHER_MODE_NONE;
    case Dither::Ordered:
      return CHAFA_DITHER_MODE_ORDERED;
    case Dither::Diffusion:
      return CHAFA_DITHER_MODE_DIFFUSION;
  }
  return CHAFA_DITHER_MODE_NONE;
}

}  // namespace

Placement PlacePicture(int width, int height, const CharacterOptions& options) {
  Placement p;
  p.cellsPerPlace = options.symbols == Symbols::Ascii ? 1 : 2;
  const int cells = std::max(1, options.width), lines = std::max(1, options.height);
  const double w = std::max(1, width), h = std::max(1, height);
  // In half-cell units a cell is 1 wide and 2 tall.
  const double scale = std::min(cells / w, 2.0 * lines / h);
  const int maxPlaces = std::max(1, cells / p.cellsPerPlace);
  p.places = std::clamp(static_cast<int>(std::lround(w * scale / p.cellsPerPlace)), 1, maxPlaces);
  p.rows = std::clamp(static_cast<int>(std::lround(h * scale / 2.0)), 1, lines);
  p.left = std::max(0, (cells - p.places * p.cellsPerPlace) / 2);
  p.top = (lines - p.rows) / 2;
  return p;
}

struct CharacterConverter::Chafa {
  ChafaSymbolMap* symbols = nullptr;
  ChafaCanvasConfig* config = nullptr;
  ChafaCanvas* canvas = nullptr;
  int places = 0, rows = 0;                       // the canvas's size
  std::unordered_map<gunichar, std::string> gbk;  // what each character is written as
  std::string blank;                              // a blank place

  ~Chafa() {
    if (canvas) chafa_canvas_unref(canvas);
    if (config) chafa_canvas_config_unref(config);
    if (symbols) chafa_symbol_map_unref(symbols);
  }
};

CharacterConverter::CharacterConverter(const CharacterOptions& options)
    : m_options(options), m_chafa(std::make_unique<Chafa>()) {
  Chafa& c = *m_chafa;
  c.symbols = chafa_symbol_map_new();
  if (options.symbols == Symbols::Ascii) {
    chafa_symbol_map_add_by_tags(c.symbols, CHAFA_SYMBOL_TAG_ASCII);
    for (char32_t cp = 0x20; cp < 0x7F; ++cp) c.gbk[cp] = std::string(1, static_cast<char>(cp));
    c.blank = " ";
  } else {
    chafa_symbol_map_add_by_range(c.symbols, ' ', ' ');
    c.blank = "  ";
    c.gbk[' '] = c.blank;
    const auto add = [&](const Range& range) {
      for (char32_t cp = range.first; cp <= range.last; ++cp) {
        std::string bytes = GbkOf(cp);
        if (bytes.size() != 2) continue;  // two cells wide, as the places are
        chafa_symbol_map_add_by_range(c.symbols, cp, cp);
        c.gbk[cp] = std::move(bytes);
      }
    };
    if (options.symbols == Symbols::Blocks)
      for (const Range& r : kBlockRanges) add(r);
    else
      for (const Range& r : kLineRanges) add(r);
  }
  c.config = chafa_canvas_config_new();
  chafa_canvas_config_set_canvas_mode(c.config, CHAFA_CANVAS_MODE_FGBG);
  chafa_canvas_config_set_symbol_map(c.config, c.symbols);
  chafa_canvas_config_set_dither_mode(c.config, ChafaDither(options.dither));
  // The pair as black and white, the darker colour black: the picture's
  // whole range of tones then lies between them, so dithering makes tones
  // without specks in areas already at one end.
  const auto light = [](int index) {
    const std::uint32_t rgb = document::kConsoleRgb[static_cast<unsigned>(index) & 15];
    return 2 * ((rgb >> 16) & 0xFF) + 5 * ((rgb >> 8) & 0xFF) + (rgb & 0xFF);
  };
  const bool inkIsLight =
      (light(options.colors.fore) >= light(options.colors.back)) != options.invert;
  chafa_canvas_config_set_fg_color(c.config, inkIsLight ? 0xFFFFFF : 0x000000);
  chafa_canvas_config_set_bg_color(c.config, inkIsLight ? 0x000000 : 0xFFFFFF);
}

CharacterConverter::~CharacterConverter() = default;

std::string CharacterConverter::Draw(const RgbaView& pixels) {
  return Draw(pixels, PlacePicture(pixels.width, pixels.height, m_options));
}

std::string CharacterConverter::Draw(const RgbaView& pixels, const Placement& placement) {
  Chafa& c = *m_chafa;
  if (!c.canvas || c.places != placement.places || c.rows != placement.rows) {
    if (c.canvas) chafa_canvas_unref(c.canvas);
    chafa_canvas_config_set_geometry(c.config, placement.places, placement.rows);
    c.canvas = chafa_canvas_new(c.config);
    c.places = placement.places;
    c.rows = placement.rows;
  }
  chafa_canvas_draw_all_pixels(c.canvas, CHAFA_PIXEL_RGBA8_UNASSOCIATED, pixels.pixels,
                               pixels.width, pixels.height, pixels.stride);

  std::string text;
  for (int y = 0; y < placement.top; ++y) text += "\r\n";
  std::size_t lastInk = 0;  // where the text ends once trailing blank lines are dropped
  const std::string margin(static_cast<std::size_t>(placement.left), ' ');
  for (int y = 0; y < placement.rows; ++y) {
    if (y > 0) text += "\r\n";
    const std::size_t lineStart = text.size();
    text += margin;
    std::size_t inkEnd = lineStart;
    for (int x = 0; x < placement.places; ++x) {
      const auto found = c.gbk.find(chafa_canvas_get_char_at(c.canvas, x, y));
      const std::string& bytes = found == c.gbk.end() ? c.blank : found->second;
      text += bytes;
      if (bytes != c.blank) inkEnd = text.size();
    }
    text.resize(inkEnd);
    if (inkEnd > lineStart) lastInk = text.size();
  }
  text.resize(lastInk);
  return text;
}

}  // namespace picture

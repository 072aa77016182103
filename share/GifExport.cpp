// The animation as an animated GIF, drawn with a monospace CJK font in the
// console's colours.
//
// Frames are drawn and encoded one at a time. The first image covers the
// canvas; every later one only the rectangle of cells that changed, drawn
// over the image before it, with the cells inside it that did not change
// left transparent. LZW turns those into long runs, which keeps the file
// small and the encoding fast for the usual animation where little moves.
// Consecutive frames that look the same are one image whose delay is their
// sum.
//
// Glyphs are drawn without antialiasing, so a picture holds two colours:
// the palette is background, foreground and the transparent index, four
// entries, the smallest LZW code size GIF has.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "share/AnimationFormats.h"
#include "share/FrameCanvas.h"
#include "share/GifLzw.h"

using document::Animation;
using document::FrameNode;

namespace output {

namespace {

// Viewers show an image with a delay under 2/100 s for 1/10 s.
constexpr int kMinGifDelay = 2;

// The palette's indexes.
constexpr std::uint8_t kBack = 0;
constexpr std::uint8_t kFore = 1;
constexpr std::uint8_t kClear = 2;  // transparent: what the image before shows
constexpr int kPaletteSize = 4;     // a power of two, as GIF wants

// Debian's monospace CJK fonts, best first; the face whose family name says
// "Mono" is taken.
const char* const kFontCandidates[] = {
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
    "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
    "/usr/share/fonts/opentype/noto/NotoSerifCJK-Regular.ttc",
};

struct Glyph {
  int left = 0;  // from the pen position
  int top = 0;   // above the baseline
  int width = 0;
  int rows = 0;
  int advance = 0;
  std::vector<unsigned char> ink;  // width * rows, 1 where the glyph is drawn
};

class Font {
 public:
  ~Font() {
    if (m_face) FT_Done_Face(m_face);
    if (m_library) FT_Done_FreeType(m_library);
  }

  bool Open(const GifOptions& options, std::string* error) {
    if (FT_Init_FreeType(&m_library)) {
      *error = std::string(kFormatBadFont) + "FreeType";
      return false;
    }
    if (!options.fontPath.empty()) {
      if (FT_New_Face(m_library, options.fontPath.c_str(), options.fontFace, &m_face)) {
        m_face = nullptr;
        *error = std::string(kFormatBadFont) + options.fontPath;
        return false;
      }
    } else if (!FindMonoFace()) {
      *error = kFormatNoFont;
      return false;
    }
    if (FT_Set_Pixel_Sizes(m_face, 0, static_cast<FT_UInt>(std::max(6, options.pixelSize)))) {
      *error = std::string(kFormatBadFont) + m_face->family_name;
      return false;
    }
    Measure(std::max(6, options.pixelSize));
    return true;
  }

  int CellWidth() const { return m_cellWidth; }
  int CellHeight() const { return m_cellHeight; }
  int Baseline() const { return m_baseline; }

  const Glyph& Get(char32_t cp) {
    auto found = m_cache.find(cp);
    if (found != m_cache.end()) return found->second;
    Glyph& glyph = m_cache[cp];
    if (FT_Load_Char(m_face, cp, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) == 0) {
      const FT_GlyphSlot slot = m_face->glyph;
      const FT_Bitmap& bm = slot->bitmap;
      glyph.left = slot->bitmap_left;
      glyph.top = slot->bitmap_top;
      glyph.width = static_cast<int>(bm.width);
      glyph.rows = static_cast<int>(bm.rows);
      glyph.advance = static_cast<int>(slot->advance.x >> 6);
      glyph.ink.assign(static_cast<std::size_t>(glyph.width) * glyph.rows, 0);
      for (int y = 0; y < glyph.rows; ++y) {
        const unsigned char* src = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
        for (int x = 0; x < glyph.width; ++x) {
          const bool on = bm.pixel_mode == FT_PIXEL_MODE_MONO ? (src[x >> 3] >> (7 - (x & 7))) & 1
                                                              : src[x] >= 128;
          glyph.ink[static_cast<std::size_t>(y) * glyph.width + x] = on ? 1 : 0;
        }
      }
    }
    return glyph;
  }

 private:
  bool FindMonoFace() {
    for (const char* path : kFontCandidates) {
      std::error_code ec;
      if (!std::filesystem::is_regular_file(path, ec)) continue;
      FT_Face face = nullptr;
      if (FT_New_Face(m_library, path, -1, &face)) continue;
      const FT_Long faces = face->num_faces;
      FT_Done_Face(face);
      for (FT_Long i = 0; i < faces; ++i) {
        if (FT_New_Face(m_library, path, i, &face)) continue;
        const std::string family = face->family_name ? face->family_name : "";
        if (family.find("Mono") != std::string::npos && FT_Get_Char_Index(face, 0x4E2D) != 0) {
          m_face = face;
          return true;
        }
        FT_Done_Face(face);
      }
    }
    return false;
  }

  // A cell is as wide as a Latin letter and as high as the tallest and
  // deepest of a few sample glyphs, so nothing common is cut off.
  void Measure(int pixelSize) {
    m_cellWidth = Get(U'M').advance;
    if (m_cellWidth <= 0) m_cellWidth = (pixelSize + 1) / 2;
    int top = pixelSize * 3 / 4;
    int bottom = 0;
    for (char32_t cp : {U'M', U'g', U'j', U'|', U'_', U'\x4E2D', U'\x56FD', U'\x9F98'}) {
      const Glyph& g = Get(cp);
      if (g.rows == 0) continue;
      top = std::max(top, g.top);
      bottom = std::max(bottom, g.rows - g.top);
    }
    m_baseline = top;
    m_cellHeight = top + bottom;
  }

  FT_Library m_library = nullptr;
  FT_Face m_face = nullptr;
  int m_cellWidth = 8;
  int m_cellHeight = 16;
  int m_baseline = 12;
  std::unordered_map<char32_t, Glyph> m_cache;
};

// Little-endian 16-bit values, as GIF stores them.
void Put16(std::string& out, int value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

// An image is encoded in bands of whole rows of cells, each with an LZW
// dictionary of its own, of at least this many pixels: a band of text seen
// before is copied, not encoded again (a dictionary that starts again costs
// a little in size, more the smaller the band).
constexpr std::size_t kBandPixels = 8192;

// Images kept for writing again hold at most this many bytes.
constexpr std::size_t kImageCacheBytes = 64u << 20;

// Graphics control extension: "do not dispose", the delay, and the
// transparent index when there is one. kControlBytes long.
constexpr std::size_t kControlBytes = 8;
void PutControl(std::string& out, int delay, bool transparent) {
  constexpr int kDoNotDispose = 1;
  out += "\x21\xF9\x04";
  out += static_cast<char>(kDoNotDispose << 2 | (transparent ? 1 : 0));
  Put16(out, std::min(delay, 65535));
  out += static_cast<char>(transparent ? kClear : 0xFF);
  out += '\0';
}

// The glyph of a character drawn on its cells' background, one or two cells
// wide: what every cell holding it shows, whatever is around it.
struct CellPicture {
  int width = 0;                     // pixels
  std::vector<std::uint8_t> pixels;  // width * cell height, kBack or kFore
};

class GifEncoder {
 public:
  GifEncoder(Font& font, int wide, int high, const document::ConsoleColors& colors,
             bool wholeImages)
      : m_font(font),
        m_colors(colors),
        m_wholeImages(wholeImages),
        m_shown(wide, high),
        m_changed(static_cast<std::size_t>(wide) * high, 0),
        m_width(wide * font.CellWidth()),
        m_height(high * font.CellHeight()),
        m_pixels(static_cast<std::size_t>(m_width) * m_height, kBack) {}

  bool Start(formats::OutputFile& out, std::string* error) {
    if (m_width > 65535 || m_height > 65535) {
      *error =
          std::string(kFormatGifFailed) + std::to_string(m_width) + "x" + std::to_string(m_height);
      return false;
    }
    m_out = &out;
    std::string head = "GIF89a";
    Put16(head, m_width);
    Put16(head, m_height);
    // A global palette of four entries, eight bits a channel; background 0.
    head += "\xF1";
    head += '\0';
    head += '\0';
    // The transparent entry and the spare one repeat the background.
    const int shades[kPaletteSize] = {m_colors.back, m_colors.fore, m_colors.back, m_colors.back};
    for (int shade : shades) {
      const std::uint32_t rgb = document::kConsoleRgb[static_cast<std::size_t>(shade & 15)];
      head += static_cast<char>(rgb >> 16);
      head += static_cast<char>(rgb >> 8);
      head += static_cast<char>(rgb);
    }
    // Loop for ever.
    head += std::string_view("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    out.Write(head);
    return true;
  }

  // Draws the cells of canvas that differ from what is shown and writes
  // them as one image shown for delay hundredths of a second.
  void Put(const formats::FrameCanvas& canvas, int delay) {
    const int wide = canvas.Wide();
    const bool whole = !m_started || m_wholeImages;
    std::fill(m_changed.begin(), m_changed.end(), 0);
    int left = wide, right = -1, top = canvas.High(), bottom = -1;
    for (int r = 0; r < canvas.High(); ++r)
      for (int c = 0; c < wide; ++c) {
        const char32_t cp = canvas.At(c, r);
        if (m_started && cp == m_shown.At(c, r)) continue;
        // A two-byte character's picture spans both of its cells.
        const int first = cp == formats::kWideTail && c > 0 ? c - 1 : c;
        const int last = std::min(wide - 1, formats::FrameCanvas::IsWide(cp) ? c + 1 : c);
        if (cp != formats::kWideTail || c == 0) DrawCell(cp, c, r);
        for (int k = first; k <= last; ++k) m_changed[static_cast<std::size_t>(r) * wide + k] = 1;
        left = std::min(left, first), right = std::max(right, last);
        top = std::min(top, r), bottom = std::max(bottom, r);
      }
    if (whole) left = 0, right = wide - 1, top = 0, bottom = canvas.High() - 1;
    if (right < 0) left = right = top = bottom = 0;  // nothing changed: a one-cell image
    // The same change over the same picture (a loop come round again) is
    // the same image: written again, not encoded again.
    const std::vector<char32_t> none;
    const std::vector<char32_t>& before = whole ? none : m_shown.Cells();
    const std::size_t key = HashCells(canvas.Cells()) * 31 + HashCells(before) + (whole ? 1 : 0);
    const auto cached = m_images.find(key);
    const bool known = cached != m_images.end() && cached->second.whole == whole &&
                       cached->second.after == canvas.Cells() && cached->second.before == before;
    if (known) {
      m_shown = canvas;
      m_started = true;
      m_image.clear();
      PutControl(m_image, delay, !whole);
      m_image += cached->second.bytes;
      m_out->Write(m_image);
      return;
    }
    const bool keep = m_imageBytes < kImageCacheBytes && cached == m_images.end();
    if (keep) {
      EncodedImage& entry = m_images[key];
      entry.whole = whole;
      entry.before = before;
      entry.after = canvas.Cells();
    }
    m_shown = canvas;
    m_started = true;

    const int cw = m_font.CellWidth(), ch = m_font.CellHeight();
    const int x = left * cw, y = top * ch;
    const int w = (right - left + 1) * cw, h = (bottom - top + 1) * ch;
    m_image.clear();
    PutControl(m_image, delay, !whole);
    m_image += '\x2C';
    Put16(m_image, x);
    Put16(m_image, y);
    Put16(m_image, w);
    Put16(m_image, h);
    m_image += '\0';  // no palette of its own, not interlaced
    const std::size_t count = static_cast<std::size_t>(w) * h;
    const std::size_t band = BandPixels(w, h);
    // An image as wide as the canvas that shows only drawn pixels is rows
    // of the drawing as they stand.
    if (w == m_width && (whole || AllChanged(top, bottom))) {
      m_lzw.Encode(&m_pixels[static_cast<std::size_t>(y) * m_width], count, band, m_image);
    } else {
      m_imagePixels.resize(count);
      for (int row = y; row < y + h; ++row)
        Line(row, left, right, whole, wide, &m_imagePixels[static_cast<std::size_t>(row - y) * w]);
      m_lzw.Encode(m_imagePixels.data(), count, band, m_image);
    }
    m_out->Write(m_image);
    if (keep) {
      EncodedImage& entry = m_images[key];
      entry.bytes.assign(m_image, kControlBytes);
      m_imageBytes += entry.bytes.size() + (entry.before.size() + entry.after.size()) * 4;
    }
  }

  void Finish() { m_out->Write(";"); }

 private:
  // Whether every cell of rows top..bottom changed.
  bool AllChanged(int top, int bottom) const {
    const std::size_t wide = static_cast<std::size_t>(m_shown.Wide());
    return std::all_of(m_changed.begin() + static_cast<std::ptrdiff_t>(top * wide),
                       m_changed.begin() + static_cast<std::ptrdiff_t>((bottom + 1) * wide),
                       [](unsigned char changed) { return changed != 0; });
  }

  // Pixels per LZW band of an image w pixels wide, h high: rows of cells,
  // as many as make a band of kBandPixels or more.
  std::size_t BandPixels(int w, int h) const {
    const std::size_t row = static_cast<std::size_t>(w) * m_font.CellHeight();
    const std::size_t rows = std::max<std::size_t>(1, (kBandPixels + row - 1) / row);
    return std::min(row * rows, static_cast<std::size_t>(w) * h);
  }

  // Pixel row y of the image over cell columns left..right, into line: the drawn
  // pixels, or, in an image over the one before, the drawn pixels of the
  // cells that changed and of blank cells, and transparent ones where an
  // unchanged character shows through. (Blank cells stay background:
  // mixing transparent and background blanks would break LZW's runs.)
  void Line(int y, int left, int right, bool whole, int wide, std::uint8_t* line) {
    const int cw = m_font.CellWidth();
    const std::uint8_t* drawn = &m_pixels[static_cast<std::size_t>(y) * m_width + left * cw];
    if (whole) {
      std::copy_n(drawn, static_cast<std::size_t>(right - left + 1) * cw, line);
      return;
    }
    const int row = y / m_font.CellHeight();
    const unsigned char* changed = &m_changed[static_cast<std::size_t>(row) * wide];
    // Runs of cells alike (changed, or not) go in one copy or fill.
    for (int c = left; c <= right;) {
      int end = c + 1;
      if (changed[c]) {
        while (end <= right && changed[end]) ++end;
        const std::size_t at = static_cast<std::size_t>(c - left) * cw;
        std::copy_n(drawn + at, static_cast<std::size_t>(end - c) * cw, line + at);
      } else {
        const bool blank = m_shown.At(c, row) == U' ';
        while (end <= right && !changed[end] && (m_shown.At(end, row) == U' ') == blank) ++end;
        std::fill_n(line + static_cast<std::size_t>(c - left) * cw,
                    static_cast<std::size_t>(end - c) * cw, blank ? kBack : kClear);
      }
      c = end;
    }
  }

  // The cell's character on its background, over every cell it covers (the
  // right half of a two-byte character is drawn with its left half).
  void DrawCell(char32_t cp, int col, int row) {
    const int cw = m_font.CellWidth(), ch = m_font.CellHeight();
    const int x0 = col * cw, y0 = row * ch;
    const CellPicture& picture = Picture(cp);
    const int width = std::min(m_width - x0, picture.width);
    const std::uint8_t* from = picture.pixels.data();
    std::uint8_t* to = &m_pixels[static_cast<std::size_t>(y0) * m_width + x0];
    // Glyph rows are a few bytes: two overlapping copies of a size known
    // here are a move or two each, where a call per row would cost more
    // than the copy.
    if (width >= 8 && width <= 16) {
      for (int y = 0; y < ch; ++y, from += picture.width, to += m_width) {
        std::memcpy(to, from, 8);
        std::memcpy(to + width - 8, from + width - 8, 8);
      }
    } else if (width > 16 && width <= 32) {
      for (int y = 0; y < ch; ++y, from += picture.width, to += m_width) {
        std::memcpy(to, from, 16);
        std::memcpy(to + width - 16, from + width - 16, 16);
      }
    } else {
      for (int y = 0; y < ch; ++y, from += picture.width, to += m_width)
        std::copy_n(from, width, to);
    }
  }

  // The picture of a character, drawn the first time it is asked for.
  // Pictures are found through pages of 256 characters, as many as a frame
  // has cells: a map's lookup per cell would cost more than drawing it.
  const CellPicture& Picture(char32_t cp) {
    const std::size_t page = cp >> 8, slot = cp & 0xFF;
    if (page < m_pages.size() && m_pages[page] && (*m_pages[page])[slot])
      return *(*m_pages[page])[slot];
    const auto found = m_pictures.find(cp);
    CellPicture& picture = found != m_pictures.end() ? found->second : DrawPicture(cp);
    if (page > 0x10FF) return picture;  // past Unicode: not paged
    if (page >= m_pages.size()) m_pages.resize(page + 1);
    if (!m_pages[page]) m_pages[page] = std::make_unique<PicturePage>();
    (*m_pages[page])[slot] = &picture;
    return picture;
  }

  CellPicture& DrawPicture(char32_t cp) {
    CellPicture& picture = m_pictures[cp];
    const int cells = formats::FrameCanvas::IsWide(cp) ? 2 : 1;
    const int cw = m_font.CellWidth(), ch = m_font.CellHeight();
    picture.width = cells * cw;
    picture.pixels.assign(static_cast<std::size_t>(picture.width) * ch, kBack);
    if (cp == U' ' || cp == formats::kWideTail) return picture;
    const Glyph& g = m_font.Get(cp);
    // Box-drawing and block characters must meet their neighbours: where
    // the font draws them one cell wide, they are stretched over both
    // cells. Anything else is centred in its cells.
    const int scale = cells == 2 && cp >= 0x2500 && cp <= 0x259F && g.advance <= cw ? 2 : 1;
    const int originX = (cells * cw - g.advance * scale) / 2 + g.left * scale;
    const int originY = m_font.Baseline() - g.top;
    for (int gy = 0; gy < g.rows; ++gy) {
      const int y = originY + gy;
      if (y < 0 || y >= ch) continue;
      for (int gx = 0; gx < g.width * scale; ++gx) {
        const int x = originX + gx;
        if (x < 0 || x >= picture.width) continue;
        if (g.ink[static_cast<std::size_t>(gy) * g.width + gx / scale])
          picture.pixels[static_cast<std::size_t>(y) * picture.width + x] = kFore;
      }
    }
    return picture;
  }

  static std::size_t HashCells(const std::vector<char32_t>& cells) {
    return std::hash<std::string_view>{}(std::string_view(
        reinterpret_cast<const char*>(cells.data()), cells.size() * sizeof(char32_t)));
  }

  // An image already written: the cells it went from and to, and its bytes
  // after the control extension.
  struct EncodedImage {
    bool whole = false;
    std::vector<char32_t> before;  // empty for a whole image
    std::vector<char32_t> after;
    std::string bytes;
  };

  Font& m_font;
  document::ConsoleColors m_colors;
  bool m_wholeImages;                    // every image opaque and the whole canvas
  formats::FrameCanvas m_shown;          // what the images so far show
  std::vector<unsigned char> m_changed;  // per cell: drawn in the current image
  bool m_started = false;
  int m_width;
  int m_height;
  std::vector<std::uint8_t> m_pixels;       // what the images so far show, drawn
  std::vector<std::uint8_t> m_imagePixels;  // the image being written, row after row
  std::unordered_map<char32_t, CellPicture> m_pictures;
  using PicturePage = std::array<const CellPicture*, 256>;
  std::vector<std::unique_ptr<PicturePage>> m_pages;  // [cp >> 8][cp & 0xFF]: in m_pictures
  gif::ImageEncoder m_lzw;
  std::unordered_map<std::size_t, EncodedImage> m_images;  // by HashCells of both pictures
  std::size_t m_imageBytes = 0;                            // what m_images holds
  std::string m_image;                                     // the image being written, whole
  formats::OutputFile* m_out = nullptr;
};

// Hundredths of a second from the start to frame i.
long long FrameStart(long long i, int rate) { return document::WholeFrameStart(i, rate, 100); }

}  // namespace

bool WriteGifAnimation(const Animation& animation, const std::string& path, std::string* error,
                       const GifOptions& options, platform::Replace replace,
                       platform::JobProgress* progress) {
  platform::BeginStage(progress, res::kJobShareGif,
                       static_cast<std::uint64_t>(animation.FrameCount()));
  std::string ignored;
  if (!error) error = &ignored;
  Font font;
  if (!font.Open(options, error)) return false;

  formats::OutputFile out;
  if (!out.Open(path, error, replace)) return false;
  const int rate = formats::PlayRate(animation);
  formats::FrameCanvas pending(animation.m_nAnimWide, animation.m_nAnimHigh);
  formats::FrameCanvas next(animation.m_nAnimWide, animation.m_nAnimHigh);
  GifEncoder encoder(font, pending.Wide(), pending.High(),
                     document::ShownColors(animation.m_strColor), options.wholeImages);
  if (!encoder.Start(out, error)) return false;

  // One image is held back until the next different frame shows how long
  // it stays.
  bool hasPending = false;
  long long pendingStart = 0;
  long long index = 0;
  for (const FrameNode& node : animation.m_frames) {
    if (!platform::AdvanceStage(progress, static_cast<std::uint64_t>(index))) return false;
    const long long start = FrameStart(index++, rate);
    next.Layout(node.Text());
    if (hasPending) {
      if (next == pending) continue;
      // Too soon after the image before: left out, its time goes to that image.
      if (start - pendingStart < kMinGifDelay) continue;
      encoder.Put(pending, static_cast<int>(start - pendingStart));
    }
    std::swap(pending, next);
    pendingStart = start;
    hasPending = true;
  }
  if (hasPending) {
    const long long end = FrameStart(index, rate);
    encoder.Put(pending, static_cast<int>(std::max<long long>(end - pendingStart, kMinGifDelay)));
  } else {
    // No frames: the blank canvas, as the console shows it.
    encoder.Put(pending, 0);
  }
  encoder.Finish();
  return out.Commit(error);
}

}  // namespace output

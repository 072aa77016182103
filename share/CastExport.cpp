// The animation as an asciicast v2 recording: what a terminal shows while the
// generated program plays it, one output event per frame.
//
// Every frame is drawn over the last one from the top-left corner, each row
// ending in "clear to end of line", the way the console layer of the
// generated programs draws it, so a player never shows a blank screen. The
// colours are the SGR codes that layer uses for the console colour code.
#include <cstdio>
#include <string>

#include "platform/Cp936.h"
#include "share/AnimationFormats.h"
#include "share/FrameCanvas.h"

using document::Animation;
using document::FrameNode;

namespace output {

namespace {

// Characters every terminal gives two cells. The other characters GBK holds
// in two bytes (Greek, Cyrillic, box drawing, many symbols) are one cell wide
// in most terminals, so after them the cursor is put where the console would
// have it.
bool SurelyWide(char32_t cp) {
  return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0x303E) ||
         (cp >= 0x3041 && cp <= 0x33FF) || (cp >= 0x3400 && cp <= 0x4DBF) ||
         (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0xA000 && cp <= 0xA4CF) ||
         (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
         (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
         (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD);
}

void AppendRow(std::string& out, const formats::FrameCanvas& canvas, int row) {
  const int len = canvas.RowLength(row);
  for (int c = 0; c < len; ++c) {
    const char32_t ch = canvas.At(c, row);
    if (ch == formats::kWideTail) continue;
    if (!formats::FrameCanvas::IsWide(ch) || SurelyWide(ch)) {
      formats::AppendUtf8(out, ch);
      continue;
    }
    // Blank both cells first, draw, then go to the cell after them: right
    // whether the terminal draws the character one or two cells wide.
    out += "\x1b[2X";
    formats::AppendUtf8(out, ch);
    out += "\x1b[" + std::to_string(c + 3) + "G";
  }
  // A full row leaves the cursor waiting at the last column, where "clear to
  // end of line" would erase the last character.
  if (len < canvas.Wide()) out += "\x1b[K";
}

}  // namespace

bool WriteCastAnimation(const Animation& animation, const std::string& path, std::string* error,
                        platform::Replace replace, platform::JobProgress* progress) {
  platform::BeginStage(progress, res::kJobShareCast,
                       static_cast<std::uint64_t>(animation.FrameCount()));
  formats::OutputFile out;
  if (!out.Open(path, error, replace)) return false;

  const document::ConsoleColors colors = document::ShownColors(animation.m_strColor);
  const int rate = formats::PlayRate(animation);
  formats::FrameCanvas canvas(animation.m_nAnimWide, animation.m_nAnimHigh);

  // The theme makes a player show the console's own shades.
  std::string palette;
  for (int bright = 0; bright < 16; bright += 8)
    for (int ansi = 0; ansi < 8; ++ansi) {
      if (!palette.empty()) palette += ':';
      palette += formats::CssColor(bright + document::AnsiColor(ansi));
    }
  std::string line = "{\"version\": 2, \"width\": " + std::to_string(canvas.Wide()) +
                     ", \"height\": " + std::to_string(canvas.High()) + ", \"title\": ";
  formats::AppendJsonString(line, formats::TitleUtf8(animation.m_strAnimName));
  line += ", \"env\": {\"TERM\": \"xterm-256color\"}, \"theme\": {\"fg\": \"" +
          formats::CssColor(colors.fore) + "\", \"bg\": \"" + formats::CssColor(colors.back) +
          "\", \"palette\": \"" + palette + "\"}}\n";
  out.Write(line);

  const std::string sgr = document::ColorSgr(colors);
  std::string data;
  long long index = 0;
  for (const FrameNode& node : animation.m_frames) {
    if (!platform::AdvanceStage(progress, static_cast<std::uint64_t>(index))) return false;
    canvas.Layout(node.Text());
    data.clear();
    // The first event hides the cursor and blanks the screen in the
    // animation's colours.
    if (index == 0) data += "\x1b[?25l" + sgr + "\x1b[2J";
    data += "\x1b[H" + sgr;
    for (int r = 0; r < canvas.High(); ++r) {
      if (r) data += "\r\n";
      AppendRow(data, canvas, r);
    }
    char time[40];
    std::snprintf(time, sizeof time, "[%.6f, \"o\", ", document::FrameStart(index, rate));
    line = time;
    formats::AppendJsonString(line, data);
    line += "]\n";
    out.Write(line);
    ++index;
  }
  if (!platform::AdvanceStage(progress, static_cast<std::uint64_t>(index))) return false;
  return out.Commit(error);
}

}  // namespace output

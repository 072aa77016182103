#pragma once
// Sharing an animation beyond the console: a web page, an animated GIF and a
// terminal recording (asciicast v2). Each writer draws the animation's frames
// on its canvas (m_nAnimWide x m_nAnimHigh cells, a GBK two-byte character
// two cells wide) in its two colours (m_strColor) at its rate (m_nRate), in
// list order, and loops.
//
// The writers stream: one frame is laid out, written and forgotten before the
// next, so memory stays at the size of the animation plus a small fixed amount
// whatever the number of frames. The file appears at path only when it is
// complete; a failed export leaves what was there before. A file already at
// path is replaced only with Replace::Yes (a file the caller wrote there
// itself); otherwise the writer fails and names it.
//
// Each returns true on success; on failure false with *error holding a
// complete message for the user (UTF-8). The animation is not changed.
//
// Given a job, each writer is one stage of it (kJobShareHtml, kJobShareGif,
// kJobShareCast) counted in frames. Once the job is cancelled the writer
// stops at the next frame and returns false with *error left as it was: the
// file being written is removed and whatever was at path stays.
#include <string>

#include "res/Texts.h"

#include "document/Animation.h"
#include "platform/JobProgress.h"
#include "platform/SafeFile.h"

namespace output {

// A self-contained page (no network, no other file) playing the animation in
// a grid of the canvas size, with play/pause, previous/next frame and a
// frame counter.
bool WriteHtmlAnimation(const document::Animation& animation, const std::string& path,
                        std::string* error, platform::Replace replace = platform::Replace::No,
                        platform::JobProgress* progress = nullptr);

// Drawing options of the GIF; the defaults suit every caller.
struct GifOptions {
  // A font file with a monospace CJK face; empty finds one among the usual
  // Debian fonts (WenQuanYi Micro Hei Mono, WenQuanYi Zen Hei Mono, Noto Sans
  // Mono CJK).
  std::string fontPath;
  int fontFace = 0;    // face index in fontPath (ignored when fontPath is empty)
  int pixelSize = 16;  // font size in pixels; a cell is as wide as a Latin letter
  // Every image the whole canvas with no transparent pixels: frames look
  // the same, the file is larger and slower to write. Only tests and
  // benchmarks ask for it, as a yardstick for the usual encoding.
  bool wholeImages = false;
};

// An animated GIF in the console's colours. Frame i lasts from
// floor(100 i / rate) to floor(100 (i + 1) / rate) hundredths of a second,
// so the whole animation lasts exactly frames / rate seconds. Consecutive
// frames that look the same become one image. A frame shorter than 2/100 s
// (rates above 50) is merged into the frame before it, since viewers stretch
// such frames to 1/10 s.
bool WriteGifAnimation(const document::Animation& animation, const std::string& path,
                       std::string* error, const GifOptions& options = {},
                       platform::Replace replace = platform::Replace::No,
                       platform::JobProgress* progress = nullptr);

// An asciicast v2 recording: the header line, then one output event per frame
// at i / rate seconds drawing the frame in place with ANSI escapes.
bool WriteCastAnimation(const document::Animation& animation, const std::string& path,
                        std::string* error, platform::Replace replace = platform::Replace::No,
                        platform::JobProgress* progress = nullptr);

// Messages (UTF-8, res/Texts.h).
using res::kFormatBadFont;
using res::kFormatCannotCreate;
using res::kFormatGifFailed;
using res::kFormatNoFont;
using res::kFormatWriteFailed;

}  // namespace output

// The animation as one web page that plays it by itself.
//
// Each distinct picture travels once, as the UTF-8 text the console shows
// on the canvas (rows joined by "\n", cut to the canvas, tabs expanded), so
// the page's script only has to place characters: every non-ASCII character
// stands for a GBK two-byte character and takes two cells. Pictures go in
// gzip-compressed blocks of about 256 KiB of text, base64 inside script
// blocks of the same file; the script unpacks a block with the browser's
// DecompressionStream when playing reaches it and keeps only the few blocks
// around the frame on show. Which picture each frame shows is one more such
// block, of 32-bit numbers. Cells are fixed-width boxes, so columns stay
// aligned whatever font the browser picks for a character.
#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "document/Screen.h"
#include "platform/Cp936.h"
#include "share/AnimationFormats.h"
#include "share/FrameCanvas.h"

using document::Animation;
using document::FrameNode;

namespace output {

namespace {

std::string HtmlEscape(std::string_view utf8) {
  std::string out;
  for (char c : utf8) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// The page up to the frame data. @TITLE@, @BACK@ and @FORE@ are filled in.
constexpr const char* kPageHead = R"PAGE(<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>@TITLE@</title>
<style>
body { margin: 0; padding: 24px; background: #2b2b2b; color: #e0e0e0;
  font-family: "Noto Sans CJK SC", "WenQuanYi Micro Hei", "Microsoft YaHei", sans-serif; }
#screen { display: inline-block; padding: 0; background: @BACK@; color: @FORE@;
  font-family: "WenQuanYi Micro Hei Mono", "WenQuanYi Zen Hei Mono", "Noto Sans Mono CJK SC",
    "Sarasa Mono SC", "NSimSun", "SimSun", "MS Gothic", monospace;
  font-size: 16px; line-height: 1.25em; white-space: pre; user-select: text; }
#screen div { height: 1.25em; display: flex; }
#screen span { flex: none; width: 1ch; height: 1.25em; overflow: hidden; text-align: center; }
#screen span.w { width: 2ch; }
#screen span.t { display: none; }
#screen span.s { transform: scaleX(2); }
#controls { margin-top: 12px; display: flex; gap: 8px; align-items: center; }
#controls button { font: inherit; padding: 4px 12px; }
#counter { margin-left: 8px; font-variant-numeric: tabular-nums; }
</style>
</head>
<body>
<div id="screen" aria-label="@TITLE@"></div>
<div id="controls">
<button id="prev" type="button" title="上一帧 (←)">上一帧</button>
<button id="play" type="button" title="播放/暂停 (空格)">暂停</button>
<button id="next" type="button" title="下一帧 (→)">下一帧</button>
<span id="counter"></span>
</div>
<noscript>需要启用 JavaScript 才能播放动画。</noscript>
)PAGE";

constexpr const char* kPageTail = R"PAGE(
</script>
<script>
(function () {
  "use strict";
  var data = JSON.parse(document.getElementById("zoetrix-animation").textContent);
  var W = data.width, H = data.height, rate = data.rate, N = data.frames;
  var starts = data.blocks;  // the first picture of each block
  var blocks = document.getElementsByClassName("zoetrix-pictures");
  var screen = document.getElementById("screen");
  var counter = document.getElementById("counter");
  var playButton = document.getElementById("play");
  // One fixed-width box per cell; a two-byte character widens its box to
  // two cells and hides the next one.
  var boxes = [], shownText = [], shownClass = [];
  for (var r = 0; r < H; r++) {
    var row = document.createElement("div");
    for (var c = 0; c < W; c++) {
      var box = document.createElement("span");
      box.textContent = " ";
      row.appendChild(box);
      boxes.push(box);
      shownText.push(" ");
      shownClass.push("");
    }
    screen.appendChild(row);
  }
  // Box-drawing and block characters must meet their neighbours: where the
  // font draws them one cell wide they are stretched over both cells.
  var probe = document.createElement("span");
  probe.style.cssText = "position:absolute;visibility:hidden;display:inline;width:auto";
  probe.textContent = "\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500";
  screen.appendChild(probe);
  var lineWidth = probe.getBoundingClientRect().width;
  probe.textContent = "00000000";
  var stretchBoxes = lineWidth < probe.getBoundingClientRect().width * 1.5;
  screen.removeChild(probe);
  function wideClass(ch) {
    var cp = ch.codePointAt(0);
    return stretchBoxes && cp >= 0x2500 && cp <= 0x259f ? "w s" : "w";
  }
  function put(i, text, cls) {
    if (shownText[i] !== text) { boxes[i].textContent = text; shownText[i] = text; }
    if (shownClass[i] !== cls) { boxes[i].className = cls; shownClass[i] = cls; }
  }
  function draw(text) {
    var lines = text.split("\n");
    for (var r = 0; r < H; r++) {
      var line = r < lines.length ? Array.from(lines[r]) : [];
      var c = 0;
      for (var k = 0; k < line.length && c < W; k++) {
        var ch = line[k];
        if (ch.codePointAt(0) >= 0x80 && c + 1 < W) {
          put(r * W + c, ch, wideClass(ch));
          put(r * W + c + 1, "", "t");
          c += 2;
        } else {
          put(r * W + c, ch, "");
          c += 1;
        }
      }
      for (; c < W; c++) put(r * W + c, " ", "");
    }
  }
  function showCount(f) { counter.textContent = "第 " + (N ? f + 1 : 0) + " / " + N + " 帧"; }
  // A block's bytes: base64, then gzip.
  function unpack(element) {
    var raw = atob(element.textContent), bytes = new Uint8Array(raw.length);
    for (var i = 0; i < raw.length; i++) bytes[i] = raw.charCodeAt(i);
    var stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream("gzip"));
    return new Response(stream).arrayBuffer().then(function (b) { return new Uint8Array(b); });
  }
  // The unpacked blocks near the frame on show, each with where its
  // pictures end (a form feed ends each).
  var cache = new Map(), decoder = new TextDecoder();
  function block(k) {
    if (!cache.has(k)) {
      cache.set(k, unpack(blocks[k]).then(function (bytes) {
        var ends = [];
        for (var i = bytes.indexOf(12); i >= 0; i = bytes.indexOf(12, i + 1)) ends.push(i);
        return { bytes: bytes, ends: ends };
      }));
      cache.forEach(function (v, key) { if (Math.abs(key - k) > 1) cache.delete(key); });
    }
    return cache.get(k);
  }
  function blockOf(p) {
    var lo = 0, hi = starts.length - 1;
    while (lo < hi) {
      var mid = (lo + hi + 1) >> 1;
      if (starts[mid] <= p) lo = mid; else hi = mid - 1;
    }
    return lo;
  }
  function picture(p) {
    var k = blockOf(p);
    if (k + 1 < starts.length) block(k + 1);  // ready before playing gets there
    return block(k).then(function (b) {
      var i = p - starts[k];
      return decoder.decode(b.bytes.subarray(i ? b.ends[i - 1] + 1 : 0, b.ends[i]));
    });
  }
  var order = null;  // the picture of each frame, 32-bit little-endian
  var current = 0, wanted = -1, playing = false, startTime = 0, startFrame = 0, timer = 0;
  function show(f) {
    wanted = f;
    showCount(f);
    if (!N) { draw(""); return; }
    picture(order.getUint32(4 * f, true)).then(function (text) {
      if (wanted === f) draw(text);
    });
  }
  // The frame shown follows the clock, so the rate holds even when a timer
  // fires late; each timer is set for the moment the next frame is due.
  function tick() {
    if (!playing) return;
    var elapsed = Math.floor((performance.now() - startTime) * rate / 1000);
    var f = (startFrame + elapsed) % N;
    if (f !== current) { current = f; show(current); }
    var due = startTime + (elapsed + 1) * 1000 / rate;
    timer = setTimeout(tick, Math.max(0, due - performance.now()));
  }
  function play() {
    if (N < 1) return;
    clearTimeout(timer);
    playing = true;
    playButton.textContent = "暂停";
    startFrame = current;
    startTime = performance.now();
    tick();
  }
  function pause() {
    clearTimeout(timer);
    playing = false;
    playButton.textContent = "播放";
  }
  function step(d) {
    pause();
    if (N < 1) return;
    current = (current + d + N) % N;
    show(current);
  }
  if (N && typeof DecompressionStream === "undefined") {
    counter.textContent = "此浏览器无法解压动画帧，请使用较新的浏览器。";
    return;
  }
  playButton.addEventListener("click", function () { playing ? pause() : play(); });
  document.getElementById("prev").addEventListener("click", function () { step(-1); });
  document.getElementById("next").addEventListener("click", function () { step(1); });
  document.addEventListener("keydown", function (e) {
    if (e.key === " ") { e.preventDefault(); playing ? pause() : play(); }
    else if (e.key === "ArrowLeft") step(-1);
    else if (e.key === "ArrowRight") step(1);
  });
  function start() {
    show(0);
    if (N > 1) play(); else pause();
  }
  if (!N) { start(); return; }
  unpack(document.getElementById("zoetrix-order")).then(function (bytes) {
    order = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    start();
  });
})();
</script>
</body>
</html>
)PAGE";

std::string Fill(std::string text, std::string_view key, const std::string& value) {
  for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at)) {
    text.replace(at, key.size(), value);
    at += value.size();
  }
  return text;
}

// Text of about this many bytes goes in one compressed block: small enough
// to unpack at once when playing reaches it, large enough to compress well.
constexpr std::size_t kBlockText = 256 * 1024;

void AppendBase64(std::string& out, std::string_view bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t at = out.size();
  out.resize(at + (n + 2) / 3 * 4);
  char* o = out.data() + at;
  std::size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    const std::uint32_t v = std::uint32_t{b[i]} << 16 | std::uint32_t{b[i + 1]} << 8 | b[i + 2];
    *o++ = kDigits[v >> 18];
    *o++ = kDigits[(v >> 12) & 63];
    *o++ = kDigits[(v >> 6) & 63];
    *o++ = kDigits[v & 63];
  }
  if (i < n) {
    const std::uint32_t v =
        std::uint32_t{b[i]} << 16 | (i + 1 < n ? std::uint32_t{b[i + 1]} << 8 : 0);
    *o++ = kDigits[v >> 18];
    *o++ = kDigits[(v >> 12) & 63];
    *o++ = i + 1 < n ? kDigits[(v >> 6) & 63] : '=';
    *o++ = '=';
  }
}

// The bytes in gzip form, as the browser's DecompressionStream("gzip") reads them.
std::string Gzip(std::string_view bytes) {
  z_stream z{};
  // 15 bits of window, +16: a gzip header and trailer.
  if (deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) return {};
  std::string out(deflateBound(&z, static_cast<uLong>(bytes.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  z.avail_in = static_cast<uInt>(bytes.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int done = deflate(&z, Z_FINISH);
  out.resize(done == Z_STREAM_END ? z.total_out : 0);
  deflateEnd(&z);
  return out;
}

// What the canvas shows of a frame text: its rows in UTF-8 joined by "\n",
// without the blank rows at the end.
const std::string& PictureText(formats::FrameCanvas& canvas, std::string_view gbk,
                               std::string& text) {
  canvas.Layout(gbk);
  text.clear();
  int rows = canvas.High();
  while (rows > 0 && canvas.RowLength(rows - 1) == 0) --rows;
  for (int r = 0; r < rows; ++r) {
    if (r) text += '\n';
    text += canvas.RowUtf8(r);
  }
  return text;
}

// Writes one compressed block as a script block the browser leaves alone.
void WriteBlock(formats::OutputFile& out, const char* attribute, std::string_view bytes,
                std::string& piece) {
  piece.assign("<script type=\"application/octet-stream\" ");
  piece += attribute;
  piece += '>';
  AppendBase64(piece, Gzip(bytes));
  piece += "</script>\n";
  out.Write(piece);
}

}  // namespace

bool WriteHtmlAnimation(const Animation& animation, const std::string& path, std::string* error,
                        platform::Replace replace, platform::JobProgress* progress) {
  platform::BeginStage(progress, res::kJobShareHtml,
                       static_cast<std::uint64_t>(animation.FrameCount()));
  formats::OutputFile out;
  if (!out.Open(path, error, replace)) return false;

  const document::ConsoleColors colors = document::ShownColors(animation.m_strColor);
  std::string head = kPageHead;
  head = Fill(head, "@TITLE@", HtmlEscape(formats::TitleUtf8(animation.m_strAnimName)));
  head = Fill(head, "@BACK@", formats::CssColor(colors.back));
  head = Fill(head, "@FORE@", formats::CssColor(colors.fore));
  out.Write(head);

  // Each distinct picture once, in blocks, numbered in the order they first
  // show. Frames with the same text share a number without being laid out
  // again; a frame whose text differs but looks the same as a picture
  // before it (found by the picture's hash, then laid out again to compare)
  // shares that one's. Only numbers and hashes are kept, never pictures.
  formats::FrameCanvas canvas(animation.m_nAnimWide, animation.m_nAnimHigh);
  std::unordered_map<std::string_view, std::uint32_t> byText;
  std::unordered_map<std::size_t, std::uint32_t> byLook;
  std::vector<const std::string*> shownBy;  // per picture: a frame text that shows it
  std::vector<std::uint32_t> order;
  order.reserve(animation.m_frames.Size());
  std::vector<std::uint32_t> blockStarts;
  std::string blockText, text, again, piece;
  for (const FrameNode& node : animation.m_frames) {
    if (!platform::AdvanceStage(progress, order.size())) return false;
    const auto pictures = static_cast<std::uint32_t>(shownBy.size());
    const auto [known, added] = byText.try_emplace(node.Text(), pictures);
    if (!added) {
      order.push_back(known->second);
      continue;
    }
    PictureText(canvas, node.Text(), text);
    const auto [look, fresh] = byLook.try_emplace(std::hash<std::string_view>{}(text), pictures);
    if (!fresh && PictureText(canvas, *shownBy[look->second], again) == text) {
      known->second = look->second;
      order.push_back(look->second);
      continue;
    }
    if (blockText.empty()) blockStarts.push_back(pictures);
    blockText += text;
    blockText += '\f';  // the canvas shows no control characters
    order.push_back(pictures);
    shownBy.push_back(&node.Text());
    if (blockText.size() >= kBlockText) {
      WriteBlock(out, "class=\"zoetrix-pictures\"", blockText, piece);
      blockText.clear();
    }
  }
  if (!blockText.empty()) WriteBlock(out, "class=\"zoetrix-pictures\"", blockText, piece);
  blockText.clear();
  for (const std::uint32_t n : order)
    for (int shift = 0; shift < 32; shift += 8) blockText += static_cast<char>(n >> shift & 0xFF);
  WriteBlock(out, "id=\"zoetrix-order\"", blockText, piece);

  // The script keeps the animation's clock (document/Screen.h) at the rate
  // given here: frame k is due k * 1000 / rate milliseconds after playing
  // starts, document::FrameStart(k, rate, 1000), and the frame on show is
  // the last one due.
  const int rate = document::PlayRate(animation.m_nRate);
  piece = "<script type=\"application/json\" id=\"zoetrix-animation\">\n{\"width\":" +
          std::to_string(canvas.Wide()) + ",\"height\":" + std::to_string(canvas.High()) +
          ",\"rate\":" + std::to_string(rate) + ",\"name\":";
  formats::AppendJsonString(piece, formats::TitleUtf8(animation.m_strAnimName));
  piece += ",\"frames\":" + std::to_string(order.size()) +
           ",\"pictures\":" + std::to_string(shownBy.size()) + ",\"blocks\":[";
  for (std::size_t k = 0; k < blockStarts.size(); ++k)
    piece += (k ? "," : "") + std::to_string(blockStarts[k]);
  piece += "]}";
  out.Write(piece);
  out.Write(kPageTail);
  if (!platform::AdvanceStage(progress, order.size())) return false;
  return out.Commit(error);
}

}  // namespace output

// The animation as one web page that plays it by itself.
//
// The frames travel as a JSON block inside the page, each as the UTF-8 text
// the console shows on the canvas (rows joined by "\n", cut to the canvas,
// tabs expanded), so the page's script only has to place characters: every
// non-ASCII character stands for a GBK two-byte character and takes two
// cells. Cells are fixed-width boxes, so columns stay aligned whatever font
// the browser picks for a character.
#include <string>

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
<script type="application/json" id="zoetrix-animation">
)PAGE";

constexpr const char* kPageTail = R"PAGE(
</script>
<script>
(function () {
  "use strict";
  var data = JSON.parse(document.getElementById("zoetrix-animation").textContent);
  var W = data.width, H = data.height, rate = data.rate, frames = data.frames;
  var N = frames.length;
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
  function draw(f) {
    var lines = N ? frames[f].split("\n") : [];
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
    counter.textContent = "第 " + (N ? f + 1 : 0) + " / " + N + " 帧";
  }
  // The frame shown follows the clock, so the rate holds even when a timer
  // fires late; each timer is set for the moment the next frame is due.
  var current = 0, playing = false, startTime = 0, startFrame = 0, timer = 0;
  function tick() {
    if (!playing) return;
    var elapsed = Math.floor((performance.now() - startTime) * rate / 1000);
    var f = (startFrame + elapsed) % N;
    if (f !== current) { current = f; draw(current); }
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
    draw(current);
  }
  playButton.addEventListener("click", function () { playing ? pause() : play(); });
  document.getElementById("prev").addEventListener("click", function () { step(-1); });
  document.getElementById("next").addEventListener("click", function () { step(1); });
  document.addEventListener("keydown", function (e) {
    if (e.key === " ") { e.preventDefault(); playing ? pause() : play(); }
    else if (e.key === "ArrowLeft") step(-1);
    else if (e.key === "ArrowRight") step(1);
  });
  draw(0);
  if (N > 1) play(); else pause();
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

}  // namespace

bool WriteHtmlAnimation(const Animation& animation, const std::string& path, std::string* error,
                        platform::Replace replace) {
  formats::OutputFile out;
  if (!out.Open(path, error, replace)) return false;

  const document::ConsoleColors colors = document::ShownColors(animation.m_strColor);
  std::string head = kPageHead;
  head = Fill(head, "@TITLE@", HtmlEscape(formats::TitleUtf8(animation.m_strAnimName)));
  head = Fill(head, "@BACK@", formats::CssColor(colors.back));
  head = Fill(head, "@FORE@", formats::CssColor(colors.fore));
  out.Write(head);

  // The script keeps the animation's clock (document/Screen.h) at the rate
  // given here: frame k is due k * 1000 / rate milliseconds after playing
  // starts, document::FrameStart(k, rate, 1000), and the frame on show is
  // the last one due.
  const int rate = document::PlayRate(animation.m_nRate);
  formats::FrameCanvas canvas(animation.m_nAnimWide, animation.m_nAnimHigh);
  std::string piece = "{\"width\":" + std::to_string(canvas.Wide()) +
                      ",\"height\":" + std::to_string(canvas.High()) +
                      ",\"rate\":" + std::to_string(rate) + ",\"name\":";
  formats::AppendJsonString(piece, formats::TitleUtf8(animation.m_strAnimName));
  piece += ",\"frames\":[\n";
  out.Write(piece);

  std::string text;
  bool first = true;
  for (const FrameNode& node : animation.m_frames) {
    canvas.Layout(node.Text());
    text.clear();
    int rows = canvas.High();
    while (rows > 0 && canvas.RowLength(rows - 1) == 0) --rows;
    for (int r = 0; r < rows; ++r) {
      if (r) text += '\n';
      text += canvas.RowUtf8(r);
    }
    piece.clear();
    if (!first) piece += ",\n";
    first = false;
    formats::AppendJsonString(piece, text);
    out.Write(piece);
  }
  out.Write("\n]}");
  out.Write(kPageTail);
  return out.Commit(error);
}

}  // namespace output

#pragma once
// How far a frame's text reaches on the screen, and which frames of an
// animation hold text beyond its canvas. The generated program prints a
// frame as it is, while the page, the picture and the recording keep the
// canvas's size, so such frames are worth a word to the user.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace document {

struct Animation;

// The columns and rows a text's visible characters reach (without
// wrapping; spaces and blanks show nothing), counted from 1; 0 x 0 for a
// text that shows nothing.
struct TextReach {
  int cols = 0;
  int rows = 0;
  bool operator==(const TextReach&) const = default;
};
TextReach ReachOf(std::string_view gbk);
struct ScreenCell;
// A blank or a space: nothing to see.
bool ShowsNothing(const ScreenCell& cell);

// Whether every printed character of a text lies within wide x high cells.
bool FitsCanvas(std::string_view gbk, int wide, int high);

// The frames (numbered from 1) whose text reaches beyond the animation's
// canvas, the first `most` of them, and how many there are in all.
struct FramesBeyond {
  std::vector<long long> first;
  long long count = 0;
};
FramesBeyond FramesBeyondCanvas(const Animation& animation, std::size_t most = 10);
// What an export tells about such frames (UTF-8); empty when there are none.
std::string FramesBeyondNote(const FramesBeyond& beyond);

}  // namespace document

#pragma once
// An animation as a value: its name, canvas, colour code, rate and frames.
// The writers (program, project, page, picture, recording, Windows program),
// the recovery copy, the text import and the terminal player read one of
// these; the window's document holds the current one.
//
// Strings are GBK bytes; frame texts separate their lines with CR LF and are
// shared, immutable strings (see FrameList).
#include <string>

#include "document/FrameList.h"

namespace document {

// What a new animation is unless the user says otherwise.
// "无题" (untitled) in GBK.
inline constexpr const char* kDefaultAnimName = "\xCE\xDE\xCC\xE2";
inline constexpr int kDefaultCanvasWide = 80;
inline constexpr int kDefaultCanvasHigh = 25;
inline constexpr int kDefaultFrameRate = 24;
inline constexpr const char* kDefaultColorCode = "07";  // white on black

struct Animation {
  std::string m_strAnimName;  // the name, one line
  int m_nAnimWide = 0;        // canvas width in character cells
  int m_nAnimHigh = 0;        // canvas height in character cells
  std::string m_strColor;     // console colour code: background digit, then characters
  int m_nRate = 0;            // frames per second
  FrameList m_frames;

  int FrameCount() const { return static_cast<int>(m_frames.Size()); }
};

// An animation with the values above and no frames.
inline Animation DefaultAnimation() {
  Animation animation;
  animation.m_strAnimName = kDefaultAnimName;
  animation.m_nAnimWide = kDefaultCanvasWide;
  animation.m_nAnimHigh = kDefaultCanvasHigh;
  animation.m_strColor = kDefaultColorCode;
  animation.m_nRate = kDefaultFrameRate;
  return animation;
}

}  // namespace document

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

struct Animation {
  std::string m_strAnimName;  // the name, one line
  int m_nAnimWide = 0;        // canvas width in character cells
  int m_nAnimHigh = 0;        // canvas height in character cells
  std::string m_strColor;     // console colour code: background digit, then characters
  int m_nRate = 0;            // frames per second
  FrameList m_frames;

  int FrameCount() const { return static_cast<int>(m_frames.Size()); }
};

}  // namespace document

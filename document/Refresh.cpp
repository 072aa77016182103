#include "document/Refresh.h"

#include <algorithm>
#include <cstdio>

#include "document/Screen.h"

namespace document {

std::string FormatDuration(int frames, int rate) {
  if (rate < 1) return "---";
  double d = FrameStart(frames, rate);
  if (d < 0) d = -d;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%f", d);
  return buf;
}

RefreshFigures ComputeRefresh(int nFrames, int rate, int previewMode) {
  RefreshFigures f;
  f.frames = std::max(nFrames, 0);
  f.editSelection = nFrames - 1;
  f.previewFollows = previewMode == 1;
  f.previewSelection = nFrames - 2;
  f.sliderMax = nFrames - 2;
  // The full range, not cut to 16 bits: long animations keep a true bar.
  f.progressMax = std::max(nFrames - 1, 0);
  f.frameTotal = std::to_string(nFrames);
  f.duration = FormatDuration(nFrames, rate);
  return f;
}

std::string FrameItemText(int n) { return "第" + std::to_string(n) + "帧"; }

}  // namespace document

#pragma once
// What the frame controls show after a change of the frame list.
#include <string>

namespace document {

struct RefreshFigures {
  int frames = 0;               // items in each selector ("第%d帧", from 1)
  int editSelection = -1;       // the last frame
  bool previewFollows = false;  // the preview shows the frame before the last one
  int previewSelection = -1;    // that frame's position, -1 (or invalid) for none
  int sliderMax = 0;            // slider spans positions 0..frames-2
  int progressMax = 0;          // progress spans 0..frames-1
  std::string frameTotal;       // "%d"
  std::string duration;         // seconds, "%f"; "---" without a usable rate
};

// The duration label for n frames at rate frames per second.
std::string FormatDuration(int frames, int rate);

// The figures for nFrames at rate, with the preview mode of the settings
// (document/Settings: only 1 makes the preview follow).
RefreshFigures ComputeRefresh(int nFrames, int rate, int previewMode);

// The item text of frame number n (from 1): "第n帧", UTF-8.
std::string FrameItemText(int n);

}  // namespace document

#pragma once
// The screen the offscreen test programs show their windows on.
#include <filesystem>

namespace guitest {

// Qt's offscreen platform with one screen of this size and density (96 dots
// per inch is 100 %), its windows with or without a frame. Made before the
// QApplication and kept until it is made.
class OffscreenScreen {
 public:
  OffscreenScreen(int width, int height, int dpi = 96, bool frames = true);
  ~OffscreenScreen();
  OffscreenScreen(const OffscreenScreen&) = delete;
  OffscreenScreen& operator=(const OffscreenScreen&) = delete;

 private:
  std::filesystem::path m_config;
};

}  // namespace guitest

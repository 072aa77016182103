// Runs the screen tests offscreen on the screen ZOETRIX_TEST_SCREEN names:
// "WIDTHxHEIGHT DPI frame|noframe whole|part" (1366x768 at 96 dots per inch,
// with frames, where the whole window fits, when it names none).
#include <gtest/gtest.h>
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/OffscreenScreen.h"
#include "tests/ScreenTest.h"
#include "ui/framework/Translations.h"

namespace screentest {

const Screen& TheScreen() {
  static const Screen screen = [] {
    Screen s;
    const char* given = std::getenv("ZOETRIX_TEST_SCREEN");
    char frames[16] = "frame", fit[16] = "whole";
    if (given &&
        std::sscanf(given, "%dx%d %d %15s %15s", &s.width, &s.height, &s.dpi, frames, fit) < 2) {
      std::fprintf(stderr,
                   "ZOETRIX_TEST_SCREEN is not WIDTHxHEIGHT [DPI frame|noframe whole|part]\n");
      std::exit(2);
    }
    s.frames = std::strcmp(frames, "noframe") != 0;
    s.wholeFits = std::strcmp(fit, "part") != 0;
    return s;
  }();
  return screen;
}

}  // namespace screentest

int main(int argc, char** argv) {
  const screentest::Screen& s = screentest::TheScreen();
  const guitest::OffscreenScreen screen(s.width, s.height, s.dpi, s.frames);
  QApplication app(argc, argv);
  ui::InstallQtTranslations(app);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#pragma once
// The screen one run of the screen tests shows its windows on.

namespace screentest {

struct Screen {
  int width = 1366, height = 768;
  int dpi = 96;           // 96 is 100 %; more makes the screen smaller in Qt's pixels
  bool frames = true;     // false: windows show with no frame reported
  bool wholeFits = true;  // the main window fits whole; otherwise only partly
};

const Screen& TheScreen();

}  // namespace screentest

#pragma once
// The application object: runs the main window for the life of the process.
#include <filesystem>

class CZoetrixApp {
 public:
  int Run(int argc, char** argv);

  // The project file the window opens at start-up: the one argument when it
  // is not an option (a shell's `zoetrix NAME.ini`, the desktop's "open
  // with"); empty otherwise.
  static std::filesystem::path ProjectToOpen(int argc, char** argv);

 private:
  // Runs the window; the signal that ended it, or 0.
  int InitInstance(const std::filesystem::path& project);
};

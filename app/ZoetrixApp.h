#pragma once
// The application object: runs the main window for the life of the process.
class CZoetrixApp {
 public:
  int Run(int argc, char** argv);

 private:
  bool InitInstance();
};

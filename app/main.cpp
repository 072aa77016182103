#include "app/ZoetrixApp.h"

int main(int argc, char** argv) {
  CZoetrixApp app;
  return app.Run(argc, argv);
}

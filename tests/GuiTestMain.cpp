// Runs the interface tests offscreen, with every message box and modal
// dialog answered by the tests' hooks.
#include <gtest/gtest.h>
#include <QApplication>

#include "tests/OffscreenScreen.h"
#include "ui/framework/Translations.h"

int main(int argc, char** argv) {
  // The smallest screen the main window is made for, so it shows as made.
  const guitest::OffscreenScreen screen(1366, 768);
  QApplication app(argc, argv);
  ui::InstallQtTranslations(app);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// Runs the interface tests offscreen, with every message box and modal
// dialog answered by the tests' hooks.
#include <gtest/gtest.h>
#include <QApplication>

#include "ui/framework/Translations.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ui::InstallQtTranslations(app);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include <QComboBox>
#include <gtest/gtest.h>

#include "tests/GuiTestSupport.h"

using namespace guitest;

TEST(Startup, SplashThenTipsOnceAfterWindowShows) {
  Hooks hooks;
  MainWindow w(hooks);
  EXPECT_EQ(hooks.dialogs, (QStringList{"start", "Tips"}));
  EXPECT_TRUE(w.dlg().isVisible());
}

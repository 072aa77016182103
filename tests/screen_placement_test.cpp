// Where the main window shows on a screen: whole, title bar included, on
// every screen from 1366x768 up (also at 125 %, and before the window
// manager has said how tall its title bar is); on a smaller screen its title
// bar and top left part first. Run once per screen (see CMakeLists.txt).
#include <gtest/gtest.h>
#include <QLabel>
#include <QScreen>

#include "res/ControlIds.h"

#include "tests/GuiTestSupport.h"
#include "tests/ScreenTest.h"

using namespace guitest;

namespace {

std::string Describe(const QRect& r) {
  return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
         "x" + std::to_string(r.height());
}

}  // namespace

TEST(Screen, TheMainWindowShowsItsTitleBarAndAsMuchAsFits) {
  const screentest::Screen& s = screentest::TheScreen();
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  ASSERT_TRUE(d.isVisible());
  const QRect available = d.screen()->availableGeometry();
  const QRect frame = d.frameGeometry();
  const QRect client = d.geometry();
  const std::string where = "screen " + Describe(available) + ", frame " + Describe(frame) +
                            ", client " + Describe(client);
  if (s.wholeFits) {
    EXPECT_TRUE(available.contains(frame)) << where;
  } else {
    // The title bar at the top left, and the window filling the screen.
    EXPECT_EQ(frame.topLeft(), available.topLeft()) << where;
    EXPECT_EQ(frame.intersected(available), available) << where;
  }
  if (!s.frames) {
    // With no frame known yet, room is left above for a title bar of the
    // common desktops (about 35 pixels) and below for a border.
    EXPECT_GE(client.top() - available.top(), 35) << where;
    EXPECT_GE(available.bottom() - client.bottom(), 5) << where;
  }
  // A screen with room to spare shows the window at its own size, centred.
  if (s.wholeFits && s.width >= 1366 && s.height >= 768 && s.dpi == 96) {
    EXPECT_EQ(d.size(), QSize(d.Units().MapX(547), d.Units().MapY(434))) << where;
    const QPoint offCentre = frame.center() - available.center();
    EXPECT_LE(offCentre.manhattanLength(), 45) << where;
  }
  // Every control stays inside the client area, however the window was fitted.
  for (QWidget* control : d.Controls())
    EXPECT_TRUE(d.rect().contains(control->geometry()))
        << control->objectName().toStdString() << " " << where;
  // The widest figures still read whole, with the font and size this screen gave.
  const std::pair<int, const char*> widest[] = {{res::IDC_FRAME_TOTAL, "1000000"},
                                                {res::IDC_DURATION, "1000000.000000"}};
  for (const auto& [id, text] : widest) {
    auto* label = d.ControlAs<QLabel>(id);
    label->setText(QString::fromLatin1(text));
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
        << text << " " << where;
  }
}

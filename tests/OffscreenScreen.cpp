#include "tests/OffscreenScreen.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <string>

#include "tests/TestSupport.h"

namespace guitest {

OffscreenScreen::OffscreenScreen(int width, int height, int dpi, bool frames)
    : m_config(std::filesystem::temp_directory_path() /
               ("zoetrix-screen-" + std::to_string(QCoreApplication::applicationPid()) + ".json")) {
  testsupport::WriteFile(m_config, QStringLiteral(R"({"windowFrameMargins": %1, "screens": [)"
                                                  R"({"name": "test", "x": 0, "y": 0,)"
                                                  R"( "width": %2, "height": %3,)"
                                                  R"( "logicalDpi": %4, "logicalBaseDpi": 96,)"
                                                  R"( "dpr": 1}]})")
                                       .arg(frames ? "true" : "false")
                                       .arg(width)
                                       .arg(height)
                                       .arg(dpi)
                                       .toStdString());
  qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") +
                                 QFile::encodeName(QString::fromStdString(m_config.string())));
}

OffscreenScreen::~OffscreenScreen() {
  std::error_code ec;
  std::filesystem::remove(m_config, ec);
}

}  // namespace guitest

#include "ui/Website.h"

#include <QFile>
#include <QString>

#include "platform/ProgramFolder.h"
#include "platform/Shell.h"
#include "res/AppInfo.h"
#include "res/Texts.h"
#include "ui/HelpWindow.h"
#include "ui/framework/MessageBox.h"

namespace ui {
namespace {

QString CannotOpen(const char* what, const std::string& path) {
  return QString::fromUtf8(res::kCannotOpen)
      .arg(QString::fromUtf8(what), QString::fromStdString(path));
}

}  // namespace

void OpenWebsite(QWidget* parent) {
  const std::string guide = platform::ShareFolder() + kWebsiteAddress;
  if (platform::ShellOpen(guide) == platform::ShellOpenResult::Opened) return;
  if (!QFile::exists(QFile::decodeName(guide.c_str()))) {
    ZMessageBox(CannotOpen(res::kGuideName, guide));
    return;
  }
  auto* help = new HelpWindow(QFile::decodeName(guide.c_str()), parent);
  help->show();
  help->raise();
}

void OpenFolder(const std::string& path, const char* what) {
  if (platform::ShellOpen(path) != platform::ShellOpenResult::Opened)
    ZMessageBox(CannotOpen(what, path));
}

}  // namespace ui

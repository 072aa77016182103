#include "ui/Website.h"

#include <QFile>
#include <QString>
#include <filesystem>

#include "platform/ProgramFolder.h"
#include "platform/Shell.h"
#include "res/AppInfo.h"
#include "res/Texts.h"
#include "ui/HelpWindow.h"
#include "ui/framework/MessageBox.h"

namespace ui {
namespace {

QString CannotOpen(const char* text, const char* what, const std::string& path) {
  return QString::fromUtf8(text).arg(QString::fromUtf8(what), QFile::decodeName(path.c_str()));
}

// What went wrong, truthfully: nothing there, no opener, or an opener that
// found nothing set up to open it.
const char* Reason(const std::string& path, platform::ShellOpenResult result) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return res::kCannotOpenMissing;
  return result == platform::ShellOpenResult::OpenerMissing ? res::kCannotOpen
                                                            : res::kCannotOpenNoProgram;
}

}  // namespace

void OpenWebsite(QWidget* parent) {
  const std::string guide = platform::ShareFolder() + kWebsiteAddress;
  const platform::ShellOpenResult result = platform::ShellOpen(guide);
  if (result == platform::ShellOpenResult::Opened) return;
  if (!QFile::exists(QFile::decodeName(guide.c_str()))) {
    ZMessageBox(CannotOpen(Reason(guide, result), res::kGuideName, guide));
    return;
  }
  auto* help = new HelpWindow(QFile::decodeName(guide.c_str()), parent);
  help->show();
  help->raise();
}

void OpenFolder(const std::string& path, const char* what) {
  const platform::ShellOpenResult result = platform::ShellOpen(path);
  if (result != platform::ShellOpenResult::Opened)
    ZMessageBox(CannotOpen(Reason(path, result), what, path));
}

}  // namespace ui

#include "ui/Website.h"

#include "platform/ProgramFolder.h"
#include "platform/Shell.h"
#include "res/AppInfo.h"

namespace ui {
void OpenWebsite() { platform::ShellOpen(platform::ProgramFolder() + kWebsiteAddress); }
}  // namespace ui

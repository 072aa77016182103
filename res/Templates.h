#pragma once
// The control tables of every window.
#include "ui/framework/Accelerators.h"
#include "ui/framework/ControlTable.h"

namespace res {

extern const ui::DialogTemplate kMainDialog;    // the main window
extern const ui::DialogTemplate kAboutDialog;   // About box
extern const ui::DialogTemplate kTipsDialog;    // start-up tips
extern const ui::DialogTemplate kSplashDialog;  // splash
extern const ui::DialogTemplate kDelFrameDialog;  // deletion options
extern const ui::DialogTemplate kModeDialog;      // preview-mode settings
extern const ui::DialogTemplate kOpenDialog;      // folder shortcuts

extern const ui::AcceleratorTable kMainAccelerators;

}  // namespace res

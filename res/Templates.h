#pragma once
// The control tables of every window.
#include <span>

#include "res/ControlIds.h"
#include "res/DialogTables.h"

namespace res {

extern const DialogTemplate kMainDialog;      // the main window
extern const DialogTemplate kAboutDialog;     // About box
extern const DialogTemplate kTipsDialog;      // start-up tips
extern const DialogTemplate kSplashDialog;    // splash
extern const DialogTemplate kDelFrameDialog;  // deletion options
extern const DialogTemplate kModeDialog;      // preview-mode settings
extern const DialogTemplate kOpenDialog;      // folder shortcuts

// The number a frame command asks for (copies, seconds, a frame).
extern const DialogTemplate kSequenceNumberDialog;

extern const std::span<const KeyBinding> kMainAccelerators;

}  // namespace res

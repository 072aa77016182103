#pragma once
// The dialog tables' types, as res/ gives them, under the dialog layer's names.
#include "res/ControlIds.h"
#include "res/DialogTables.h"

namespace ui {

using res::IDC_STATIC;
using res::IDCANCEL;
using res::IDOK;

using res::ControlEntry;
using res::ControlKind;
using res::DialogTemplate;
using res::FontRole;
using res::kStyleCaption;
using res::kStyleMinMax;
using res::kStyleNoCaption;
using res::kStyleSizing;
using res::WindowStyle;

}  // namespace ui

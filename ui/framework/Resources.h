#pragma once
namespace ui {
// Makes the images compiled into the application available; safe to call
// often. The application defines it (ui/Resources.cpp), as it owns the images.
void InitResources();
}  // namespace ui

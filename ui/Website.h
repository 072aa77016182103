#pragma once
namespace ui {
// Opens the tool's guide in the browser; failures show nothing.
void OpenWebsite();
}  // namespace ui

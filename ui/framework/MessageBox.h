#pragma once
// Modal message boxes: OK for reports, OK/Cancel for questions.
#include <QString>
#include <functional>

namespace ui {

inline constexpr int MB_OK = 0;
inline constexpr int MB_OKCANCEL = 1;

// Shows the text and returns IDOK or IDCANCEL.
int ZMessageBox(const QString& text, int type = MB_OK);

// Tests answer every message box: the responder sees the text and the type
// and returns the button pressed. An empty function restores real boxes.
using MessageBoxResponder = std::function<int(const QString& text, int type)>;
void SetMessageBoxResponderForTesting(MessageBoxResponder responder);

}  // namespace ui

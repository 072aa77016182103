#pragma once
// The one place where GBK bytes meet the widgets' Unicode.
#include <QString>
#include <string>

namespace ui {

// GBK bytes (lines separated by CR LF) to widget text (lines separated by LF).
QString FromGbk(const std::string& gbk);

// Widget text to GBK bytes with CR LF between lines. Returns false when the
// text holds characters GBK cannot hold; *bad then lists them.
bool ToGbk(const QString& text, std::string& out, QString* bad = nullptr);

// A UTF-8 literal of the program's own texts.
inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace ui

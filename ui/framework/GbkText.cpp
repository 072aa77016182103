#include "ui/framework/GbkText.h"

#include "platform/Cp936.h"

namespace ui {

QString FromGbk(const std::string& gbk) {
  QString text = QString::fromUtf8(platform::cp936::ToUtf8(gbk));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

bool ToGbk(const QString& text, std::string& out, QString* bad) {
  QString crlf = text;
  crlf.replace(QChar(0x2029), QChar('\n'));
  crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  crlf.replace(QChar('\n'), QStringLiteral("\r\n"));
  auto r = platform::cp936::ToGbk(crlf.toStdString());
  if (!r.ok()) {
    if (bad) {
      bad->clear();
      for (char32_t c : r.unmappable) {
        QString one = QString::fromUcs4(&c, 1);
        if (!bad->contains(one)) bad->append(one);
      }
    }
    return false;
  }
  out = std::move(r.bytes);
  return true;
}

}  // namespace ui

#include "ui/framework/DialogFont.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

namespace ui {
namespace {

QString FirstInstalled(const QStringList& wanted) {
  const QStringList families = QFontDatabase::families();
  for (const QString& w : wanted)
    for (const QString& f : families)
      if (f.compare(w, Qt::CaseInsensitive) == 0) return f;
  return {};
}

// Same rounding as the classic dialog manager: a * b / c to the nearest.
int MulDiv(int a, int b, int c) {
  long long p = static_cast<long long>(a) * b;
  return static_cast<int>((p >= 0 ? p + c / 2 : p - c / 2) / c);
}

}  // namespace

QFont ResolveDialogFont(FontRole role, int pointSize) {
  static const QStringList song = {"SimSun",
                                   "NSimSun",
                                   "宋体",
                                   "Noto Serif CJK SC",
                                   "AR PL UMing CN",
                                   "WenQuanYi Zen Hei",
                                   "WenQuanYi Micro Hei",
                                   "Noto Sans CJK SC"};
  static const QStringList yahei = {"Microsoft YaHei",   "微软雅黑",
                                    "Noto Sans CJK SC",  "WenQuanYi Micro Hei",
                                    "WenQuanYi Zen Hei", "Droid Sans Fallback"};
  QFont font;
  QString family = FirstInstalled(role == FontRole::Song ? song : yahei);
  if (!family.isEmpty()) font.setFamily(family);
  font.setPointSize(pointSize);
  return font;
}

QFont ResolveArtFont(int pointSize) {
  static const QStringList mono = {"NSimSun", "WenQuanYi Micro Hei Mono", "Noto Sans Mono CJK SC",
                                   "WenQuanYi Zen Hei Mono"};
  QFont font;
  QString family = FirstInstalled(mono);
  if (family.isEmpty()) {
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  } else {
    font.setFamily(family);
  }
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSize(pointSize);
  return font;
}

DialogUnits DialogUnits::FromFont(const QFont& font) {
  QFontMetrics fm(font);
  // The classic average width: the Latin alphabet's width over 52, rounded.
  int width =
      fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  DialogUnits u;
  u.baseX = (width / 26 + 1) / 2;
  u.baseY = fm.height();
  if (u.baseX < 1) u.baseX = 1;
  if (u.baseY < 1) u.baseY = 1;
  return u;
}

int DialogUnits::MapX(int x) const { return MulDiv(x, baseX, 4); }
int DialogUnits::MapY(int y) const { return MulDiv(y, baseY, 8); }

QRect DialogUnits::Map(int x, int y, int w, int h) const {
  int left = MapX(x), top = MapY(y);
  return QRect(left, top, MapX(x + w) - left, MapY(y + h) - top);
}

}  // namespace ui

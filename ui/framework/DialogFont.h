#pragma once
// The dialog font and the dialog units computed from it.
#include <QFont>
#include <QRect>

#include "ui/framework/ControlTable.h"

namespace ui {

// The installed font that best stands in for the given role at that size.
QFont ResolveDialogFont(FontRole role, int pointSize);

// A monospaced CJK font for character-art boxes: ASCII one cell, Chinese two.
QFont ResolveArtFont(int pointSize);

// Dialog base units: the font's average character width and its height.
struct DialogUnits {
  int baseX = 4;
  int baseY = 8;
  static DialogUnits FromFont(const QFont& font);
  QRect Map(int x, int y, int w, int h) const;
  int MapX(int x) const;
  int MapY(int y) const;
};

}  // namespace ui

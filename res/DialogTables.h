#pragma once
// Dialogs are described by tables: one row per control, in creation order,
// which is also the tab order and the child order of the window. Plain types,
// so the tables need nothing of the window toolkit.
#include <span>

namespace res {

enum class ControlKind {
  Button,             // push button
  DefaultButton,      // the button Enter presses
  WrapButton,         // push button whose caption wraps onto several lines
  LeftButton,         // push button with its caption at the left
  Label,              // static text
  FigureLabel,        // static text, right-aligned: a figure before its unit
  DisabledLabel,      // static text, greyed
  SunkenLabel,        // static text, centred in a sunken border
  Group,              // a frame with a caption, drawn behind other controls
  Check,              // automatic check box (a "\n" in the caption makes two lines)
  DropList,           // drop-down list, items stay in insertion order
  DigitsField,        // single-line edit taking digits only
  Field,              // single-line edit with horizontal auto-scroll
  MultiLineEdit,      // both scroll bars, no wrapping, Enter inserts a line break
  ReadOnlyMultiLine,  // as above, read-only
  ReadOnlyWrapped,    // read-only text with a vertical scroll bar, lines wrap
  Slider,             // horizontal track bar
  Progress,           // smooth progress bar with a border
  Picture,            // an image from the resources (caption = resource path)
};

struct ControlEntry {
  int id;
  ControlKind kind;
  const char* caption;  // UTF-8
  int x, y, w, h;       // dialog units
};

enum class FontRole {
  Song,   // the classic serif UI font (宋体)
  YaHei,  // the modern sans UI font (微软雅黑)
};

enum WindowStyle : unsigned {
  kStyleCaption = 1u << 0,    // title bar with a system menu and close box
  kStyleMinMax = 1u << 1,     // minimise and maximise boxes
  kStyleSizing = 1u << 2,     // sizing border
  kStyleNoCaption = 1u << 3,  // a bare pop-up frame (splash)
};

struct DialogTemplate {
  const char* objectName;  // the class name of the window, for tests and styling
  const char* caption;     // UTF-8
  int width, height;       // dialog units
  FontRole font;
  int pointSize;
  unsigned style;
  std::span<const ControlEntry> controls;
  // The tallest the client area may be, in pixels (0: no limit). With a
  // stand-in font taller than the classic one the dialog takes the largest
  // smaller size that fits, so it stays whole on a small screen.
  int maxClientHeight = 0;
};

// An accelerator key. Letters are their upper-case character; the others
// are named below.
enum Key : int {
  kKeyDelete = 0x100,
  kKeyPageUp = 0x101,
  kKeyPageDown = 0x102,
};

enum KeyModifier : unsigned {
  kModCtrl = 1u << 0,
  kModShift = 1u << 1,
  kModAlt = 1u << 2,
};

struct KeyBinding {
  int key;             // 'A'..'Z' or a Key
  unsigned modifiers;  // KeyModifier bits, matched exactly
  int command;         // the control id the key stands for
};

}  // namespace res

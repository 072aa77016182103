// The canvas's keys, mouse and input method.
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "ui/framework/CharCanvas.h"
#include "ui/framework/GbkText.h"

namespace ui {
namespace {

using document::CellPos;

constexpr std::size_t kMostSteps = 500;

bool Typable(const QString& text) {
  if (text.isEmpty()) return false;
  for (const QChar c : text)
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
  return true;
}

}  // namespace

// Keeps the cells as they are before a change, for undo. Typing that goes
// on where the last typing stopped joins its step.
void CharCanvas::Step(bool typing) {
  if (!(typing && m_typingRun)) {
    Settle();
    m_undo.push_back({m_cells, m_cursor});
    if (m_undo.size() > kMostSteps) m_undo.erase(m_undo.begin());
    // Kept until the step is known to change something.
    m_redoHeld = std::move(m_redo);
    m_stepPending = true;
  }
  m_redo.clear();
  m_typingRun = typing;
}

// A step that changed nothing is no step: it goes, and what could be
// redone before it can be again.
void CharCanvas::Settle() {
  if (!m_stepPending) return;
  m_stepPending = false;
  if (!m_undo.empty() && m_undo.back().cells.Text() == m_cells.Text()) {
    m_undo.pop_back();
    m_redo = std::move(m_redoHeld);
    m_typingRun = false;
  }
  m_redoHeld.clear();
}

// After a change: the rows it touched are painted again (all of them when
// none are named), the scroll range, the cursor and the readout follow.
void CharCanvas::Edited(int fromRow, int toRow) {
  if (m_drag == Drag::None) Settle();
  m_cursor = Clamp(m_cursor);
  UpdateScrollBars();
  EnsureCursorVisible();
  UpdateReadout();
  if (fromRow < 0) {
    viewport()->update();
  } else {
    const QRect first = CellBox(std::min(fromRow, toRow), 0);
    viewport()->update(0, first.top(), viewport()->width(),
                       (std::abs(toRow - fromRow) + 1) * m_cellH);
  }
  emit Changed();
}

bool CharCanvas::Undo() {
  Settle();
  if (m_undo.empty()) return false;
  m_redo.push_back({m_cells, m_cursor});
  m_cells = std::move(m_undo.back().cells);
  m_cursor = m_undo.back().cursor;
  m_undo.pop_back();
  m_typingRun = false;
  m_block = {};
  Edited();
  return true;
}

bool CharCanvas::Redo() {
  Settle();
  if (m_redo.empty()) return false;
  m_undo.push_back({m_cells, m_cursor});
  m_cells = std::move(m_redo.back().cells);
  m_cursor = m_redo.back().cursor;
  m_redo.pop_back();
  m_typingRun = false;
  m_block = {};
  Edited();
  return true;
}

void CharCanvas::ForgetSteps() {
  m_undo.clear();
  m_redo.clear();
  m_redoHeld.clear();
  m_stepPending = false;
  m_typingRun = false;
}

bool CharCanvas::ToGlyph(const QString& character, std::string& glyph) {
  return ToGbk(character, glyph) && !glyph.empty() && glyph.size() <= 2;
}

void CharCanvas::RefuseCharacters(const QString& bad) {
  SetNote(U("无法保存的字符：%1").arg(bad));
  QApplication::beep();
}

// Typed or committed text, one character at a time; a character GBK cannot
// hold is refused with a note, the rest is placed. With a block chosen, the
// first character fills it.
void CharCanvas::TypeText(const QString& text) {
  if (m_readOnly || text.isEmpty()) return;
  QString bad;
  const QList<uint> points = text.toUcs4();
  for (const uint point : points) {
    const char32_t c = point;
    const QString one = QString::fromUcs4(&c, 1);
    std::string glyph;
    if (!ToGlyph(one, glyph)) {
      if (!bad.contains(one)) bad += one;
      continue;
    }
    if (m_tool != Tool::Type) {
      m_brush = glyph;  // with a drawing tool, a typed character is its brush
      UpdateReadout();
      continue;
    }
    if (HasBlock()) {
      Step();
      m_cells.FillBlock(m_block, glyph);
      Edited();
      continue;
    }
    Step(true);
    const int cells = m_cells.Type(m_cursor, glyph, m_insert);
    m_cursor.col = m_cells.CharStart(m_cursor.row, m_cursor.col) + cells;
    Edited(m_cursor.row, m_cursor.row);
  }
  if (!bad.isEmpty()) RefuseCharacters(bad);
}

bool CharCanvas::MoveKey(QKeyEvent* event) {
  const bool alt = event->modifiers() & Qt::AltModifier;
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  CellPos to = m_cursor;
  const int page = std::max(1, viewport()->height() / CellSize().height() - 1);
  switch (event->key()) {
    case Qt::Key_Left:
      to.col = m_cells.CharStart(to.row, to.col - 1);
      break;
    case Qt::Key_Right:
      to.col += m_cells.CharCells(to.row, to.col);
      break;
    case Qt::Key_Up:
      --to.row;
      break;
    case Qt::Key_Down:
      ++to.row;
      break;
    case Qt::Key_Home:
      to = {ctrl ? 0 : to.row, 0};
      break;
    case Qt::Key_End:
      if (ctrl) to.row = std::max(m_high, m_cells.Rows()) - 1;
      to.col = m_cells.RowExtent(to.row);
      break;
    case Qt::Key_PageUp:
      to.row -= page;
      break;
    case Qt::Key_PageDown:
      to.row += page;
      break;
    default:
      return false;
  }
  to = Clamp(to);
  if (shift && (alt || !ctrl)) {
    // Shift (with Alt too) stretches a block from where it began.
    if (!HasBlock()) m_anchor = m_cursor;
    SetBlock(document::CellRect::Spanning(m_anchor, to));
  } else if (HasBlock()) {
    SetBlock({});
  }
  SetCursor(to);
  return true;
}

bool CharCanvas::EditKey(QKeyEvent* event) {
  const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
  // With nothing of its own left to undo, the key goes on to the window.
  if (event->matches(QKeySequence::Undo)) return Undo();
  if (event->matches(QKeySequence::Redo) ||
      (event->key() == Qt::Key_Y && mods == Qt::ControlModifier))
    return Redo();
  if (event->matches(QKeySequence::Copy)) return CopyBlock(), true;
  if (event->matches(QKeySequence::Cut)) return CutBlock(), true;
  if (event->matches(QKeySequence::Paste)) return PasteAtCursor(), true;
  if (event->matches(QKeySequence::SelectAll)) {
    m_anchor = {0, 0};
    SetBlock({0, 0, m_high - 1, m_wide - 1});
    return true;
  }
  if (mods == Qt::AltModifier && event->key() >= Qt::Key_1 && event->key() <= Qt::Key_5) {
    SetTool(static_cast<Tool>(event->key() - Qt::Key_1));
    return true;
  }
  if (mods == Qt::AltModifier && event->key() == Qt::Key_B) {
    m_style = m_style == document::LineStyle::Ascii ? document::LineStyle::Box
                                                    : document::LineStyle::Ascii;
    return true;
  }
  if (mods == Qt::AltModifier && event->key() == Qt::Key_O) {
    SetOnionShown(!m_onionShown);
    return true;
  }
  if (mods != Qt::NoModifier && mods != Qt::ShiftModifier) return false;
  switch (event->key()) {
    case Qt::Key_Insert:
      SetInsertMode(!m_insert);
      return true;
    case Qt::Key_Escape:
      if (!HasBlock()) return false;
      SetBlock({});
      return true;
    case Qt::Key_Delete:
      ClearBlockOrChar();
      return true;
    case Qt::Key_Backspace:
      if (HasBlock()) return ClearBlockOrChar(), true;
      Step();
      if (m_cursor.col > 0) {
        m_cursor.col = m_cells.CharStart(m_cursor.row, m_cursor.col - 1);
        m_cells.Erase(m_cursor, m_insert);
        Edited(m_cursor.row, m_cursor.row);
      } else {
        if (m_insert && m_cursor.row > 0) m_cursor = m_cells.JoinWithAbove(m_cursor.row);
        Edited();
      }
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (m_insert) {
        Step();
        m_cells.BreakRow(m_cursor);
        m_cursor = {m_cursor.row + 1, 0};
        Edited();
      } else {
        SetCursor({m_cursor.row + 1, 0});
      }
      return true;
    default:
      break;
  }
  if (!Typable(event->text())) return false;
  TypeText(event->text());
  return true;
}

void CharCanvas::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
    event->ignore();
    return;
  }
  if (MoveKey(event)) return;
  if (!m_readOnly && EditKey(event)) return;
  if (m_readOnly && event->matches(QKeySequence::Copy)) {
    CopyBlock();
    return;
  }
  event->ignore();
}

void CharCanvas::ClearBlockOrChar() {
  if (m_readOnly) return;
  Step();
  if (HasBlock()) {
    m_cells.ClearBlock(m_block);
    Edited(m_block.top, m_block.bottom);
  } else {
    m_cells.Erase(m_cursor, m_insert);
    Edited(m_cursor.row, m_cursor.row);
  }
}

void CharCanvas::CopyBlock() {
  const document::CellRect block =
      HasBlock() ? m_block
                 : document::CellRect{0, 0, std::max(m_high, m_cells.Rows()) - 1,
                                      std::max(m_wide, m_cells.WidestRow()) - 1};
  QApplication::clipboard()->setText(FromGbk(m_cells.CopyBlock(block)));
}

void CharCanvas::CutBlock() {
  if (!HasBlock() || m_readOnly) return;
  CopyBlock();
  ClearBlockOrChar();
}

// Plain text from any program lands as a block at the cursor (or at the
// chosen block's corner).
void CharCanvas::PasteAtCursor() {
  if (m_readOnly) return;
  const QString text = QApplication::clipboard()->text();
  if (text.isEmpty()) return;
  std::string gbk;
  QString bad;
  if (!ToGbk(text, gbk, &bad)) return RefuseCharacters(bad);
  const CellPos at = HasBlock() ? CellPos{m_block.top, m_block.left} : m_cursor;
  Step();
  const document::CellRect covered = m_cells.Paste(at, gbk, m_insert);
  m_block = covered.Empty() ? document::CellRect{} : covered;
  m_cursor = at;
  Edited();
}

void CharCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
  setFocus(Qt::MouseFocusReason);
  const CellPos at = CellAt(event->position().toPoint());
  m_anchor = Clamp(at);
  m_drag = Drag::None;
  if (m_readOnly) return;
  const bool alt = event->modifiers() & Qt::AltModifier;
  if (m_tool == Tool::Type || alt) {
    if (!alt && HasBlock() && m_block.Contains(at)) {
      m_drag = Drag::MoveBlock;
      m_moveFrom = at;
      m_strokeAt = at;
      m_blockBase = m_block;
      m_stepTaken = false;
      m_strokeBase = {m_cells, m_cursor};
      return;
    }
    SetBlock({});
    SetCursor(at);
    m_drag = Drag::Select;
    return;
  }
  Step();
  m_strokeBase = {m_cells, m_cursor};
  SetCursor(at);
  if (m_tool == Tool::Fill) {
    m_cells.FloodFill(m_anchor, m_brush, m_wide, m_high);
    Edited();
    return;
  }
  m_drag = m_tool == Tool::Pencil ? Drag::Stroke : Drag::Shape;
  StrokeTo(at);
}

void CharCanvas::mouseMoveEvent(QMouseEvent* event) {
  if (m_drag == Drag::None) return QAbstractScrollArea::mouseMoveEvent(event);
  const CellPos at = CellAt(event->position().toPoint());
  if (m_drag == Drag::Select) {
    if (at != m_anchor) SetBlock(document::CellRect::Spanning(m_anchor, Clamp(at)));
    SetCursor(at);
    return;
  }
  StrokeTo(at);
}

void CharCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (m_drag == Drag::None) return QAbstractScrollArea::mouseReleaseEvent(event);
  const CellPos at = CellAt(event->position().toPoint());
  // The end of a line, a rectangle or a move is where the mouse lets go.
  if ((m_drag == Drag::Shape || m_drag == Drag::MoveBlock) && at != m_strokeAt) StrokeTo(at);
  m_drag = Drag::None;
  Settle();
}

// A stroke in progress: the pencil paints each cell it passes; a line, a
// rectangle or a block being moved is drawn afresh from where it began.
void CharCanvas::StrokeTo(CellPos at) {
  at = {std::max(0, at.row), std::max(0, at.col)};
  m_strokeAt = at;
  switch (m_drag) {
    case Drag::Stroke: {
      m_cells.Paint(at, m_brush);
      const int from = m_cursor.row;
      m_cursor = at;
      return Edited(from, at.row);
    }
    case Drag::Shape:
      m_cells = m_strokeBase.cells;
      if (m_tool == Tool::Line)
        m_cells.DrawLine(m_anchor, at, m_style);
      else
        m_cells.DrawRect(document::CellRect::Spanning(m_anchor, at), m_style);
      break;
    case Drag::MoveBlock: {
      if (!m_stepTaken) Step();
      m_stepTaken = true;
      m_cells = m_strokeBase.cells;
      const CellPos to{std::max(0, m_blockBase.top + at.row - m_moveFrom.row),
                       std::max(0, m_blockBase.left + at.col - m_moveFrom.col)};
      m_cells.MoveBlock(m_blockBase, to);
      m_block = {to.row, to.col, to.row + m_blockBase.High() - 1, to.col + m_blockBase.Wide() - 1};
      break;
    }
    default:
      return;
  }
  m_cursor = at;
  Edited();
}

// Ctrl+wheel makes the cells larger or smaller.
void CharCanvas::wheelEvent(QWheelEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) return QAbstractScrollArea::wheelEvent(event);
  QFont larger = font();
  const int step = event->angleDelta().y() > 0 ? 1 : -1;
  larger.setPointSize(std::clamp(larger.pointSize() + step, 5, 40));
  setFont(larger);
  event->accept();
}

void CharCanvas::inputMethodEvent(QInputMethodEvent* event) {
  if (m_readOnly) return event->ignore();
  m_preedit = event->preeditString();
  if (!event->commitString().isEmpty()) TypeText(event->commitString());
  viewport()->update();
  event->accept();
}

QVariant CharCanvas::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImCursorRectangle:
    case Qt::ImAnchorRectangle:
      return CellBox(m_cursor.row, m_cursor.col).translated(viewport()->pos());
    case Qt::ImFont:
      return font();
    case Qt::ImEnabled:
      return !m_readOnly;
    case Qt::ImHints:
      return static_cast<int>(Qt::ImhMultiLine);
    default:
      return QAbstractScrollArea::inputMethodQuery(query);
  }
}

}  // namespace ui

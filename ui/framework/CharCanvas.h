#pragma once
// The drawing canvas: a frame shown as the animation's cells in its colours,
// with the canvas edge always in view, a cursor that reaches every cell,
// overwrite or insert typing, blocks, lines, rectangles, fills and the
// frames before (and after) drawn faintly behind. Read-only, it shows a frame
// the same way. Its text is a frame's GBK bytes; a frame nobody touches comes
// back byte for byte.
#include <QAbstractScrollArea>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QStaticText>
#include <QString>
#include <string>
#include <vector>

#include "document/CellCanvas.h"

class QLabel;
class QMenu;

namespace ui {

class CharCanvas : public QAbstractScrollArea {
  Q_OBJECT
 public:
  enum class Tool { Type, Pencil, Line, Rect, Fill };

  explicit CharCanvas(bool readOnly, QWidget* parent = nullptr);
  bool ReadOnly() const { return m_readOnly; }

  // The frame's text. Setting the same text again, untouched, leaves the
  // cursor and the undo steps alone; another text empties the undo steps.
  void SetFrameText(const std::string& gbk);
  std::string FrameText() const { return m_cells.Text(); }
  // The same as widget text (LF lines); characters GBK cannot hold are set
  // as '?'.
  QString PlainText() const;
  void SetPlainText(const QString& text);

  // The canvas's size in cells and its colours (0xRRGGBB).
  void SetCanvasSize(int wide, int high);
  int CanvasWide() const { return m_wide; }
  int CanvasHigh() const { return m_high; }
  void SetColors(unsigned back, unsigned fore);
  // The frames drawn faintly behind: nearest first.
  void SetOnionFrames(const std::vector<std::string>& before,
                      const std::vector<std::string>& after);
  void SetOnionShown(bool shown);
  bool OnionShown() const { return m_onionShown; }
  // A line of its own under the cells, beside the readout: a warning about
  // the frame, until the next text is set.
  void SetNote(const QString& note);
  // The number of the frame shown (from 1; 0 for none), for the readout.
  void SetFrameNumber(int number);
  QString Readout() const;

  // A picture shown faintly behind the cells, fitted to the canvas (never
  // part of a frame): the picture, whether it shows, its opacity and scale
  // in percent, and its offset in cells.
  struct Trace {
    QImage image;
    bool shown = true;
    int opacity = 35;
    int scale = 100;
    int dx = 0;
    int dy = 0;
  };
  void SetTrace(const Trace& trace);
  const Trace& CurrentTrace() const { return m_trace; }

  bool InsertMode() const { return m_insert; }
  void SetInsertMode(bool insert);
  Tool CurrentTool() const { return m_tool; }
  void SetTool(Tool tool);
  document::LineStyle Style() const { return m_style; }
  void SetStyle(document::LineStyle style) { m_style = style; }
  // The character the pencil, lines of text and fills paint with (GBK).
  void SetBrush(const std::string& gbk) { m_brush = gbk; }
  const std::string& Brush() const { return m_brush; }

  document::CellPos Cursor() const { return m_cursor; }
  void SetCursor(document::CellPos at);
  bool HasBlock() const { return !m_block.Empty(); }
  document::CellRect Block() const { return m_block; }
  void SetBlock(const document::CellRect& block);

  // The canvas's own steps: typing, blocks, strokes.
  bool CanUndo() const { return !m_undo.empty(); }
  bool CanRedo() const { return !m_redo.empty(); }
  bool Undo();
  bool Redo();
  void ForgetSteps();

  // Block commands, as the keys and the context menu run them.
  void CopyBlock();
  void CutBlock();
  void PasteAtCursor();
  void ClearBlockOrChar();

  // The context menu's items (built fresh each time it opens), with or
  // without the canvas's own undo and redo.
  QMenu* BuildMenu(QWidget* parent, bool withUndo = true);
  // The size of one cell in pixels.
  QSize CellSize() const { return {m_cellW, m_cellH}; }
  // The widget point at the middle of a cell (for the mouse).
  QPoint CellCenter(document::CellPos at) const;

 signals:
  // The user changed the frame (not SetFrameText).
  void Changed();
  void InsertModeChanged(bool insert);
  void OnionShownChanged(bool shown);
  // The user changed the picture traced (or asked to choose one: empty path
  // chosen is the window's to ask for).
  void TraceChanged();
  void TraceChooseRequested();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void resizeEvent(QResizeEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  struct Snapshot {
    document::CellCanvas cells;
    document::CellPos cursor;
  };
  enum class Drag { None, Select, MoveBlock, Stroke, Shape };

  // Editing (CharCanvasInput.cpp).
  bool MoveKey(QKeyEvent* event);
  bool EditKey(QKeyEvent* event);
  void TypeText(const QString& text);
  void Step(bool typing = false);
  void Settle();
  void Edited(int fromRow = -1, int toRow = -1);
  bool ToGlyph(const QString& character, std::string& glyph);
  document::CellPos CellAt(QPoint viewportPoint) const;
  document::CellPos Clamp(document::CellPos at) const;
  void StrokeTo(document::CellPos at);
  void RefuseCharacters(const QString& bad);

  // Drawing (CharCanvas.cpp).
  void Measure();
  void UpdateScrollBars();
  void UpdateReadout();
  void EnsureCursorVisible();
  QRect CellBox(int row, int col, int cells = 1) const;
  QColor Faint(int step) const;
  void PaintCells(QPainter& p, const QRect& area);
  void PaintOnion(QPainter& p, int row, int col);
  void PaintOverlay(QPainter& p);
  void PaintTrace(QPainter& p, const QRect& canvas);
  void AdjustTrace(int scale, int dx, int dy);
  const QStaticText* Glyph(const document::ScreenCell& cell);

  const bool m_readOnly;
  document::CellCanvas m_cells;
  int m_wide = 80;
  int m_high = 25;
  QColor m_back{Qt::black};
  QColor m_fore{QColor(0xC0, 0xC0, 0xC0)};
  std::vector<document::CellCanvas> m_onionBefore;
  std::vector<document::CellCanvas> m_onionAfter;
  bool m_onionShown = true;
  Trace m_trace;

  bool m_insert = false;
  Tool m_tool = Tool::Type;
  document::LineStyle m_style = document::LineStyle::Ascii;
  std::string m_brush = "#";
  document::CellPos m_cursor;
  document::CellRect m_block;
  document::CellPos m_anchor;  // where a selection or a stroke began
  document::CellPos m_moveFrom;
  document::CellPos m_strokeAt;    // where the stroke was last drawn to
  document::CellRect m_blockBase;  // a block being moved, where it was
  bool m_stepTaken = false;
  Drag m_drag = Drag::None;
  Snapshot m_strokeBase;  // the cells as they were when a shape began
  QString m_preedit;

  std::vector<Snapshot> m_undo;
  std::vector<Snapshot> m_redo;
  bool m_typingRun = false;    // the last step was typing, and may grow
  bool m_stepPending = false;  // the last step may yet turn out to change nothing
  std::vector<Snapshot> m_redoHeld;

  int m_cellW = 8;
  int m_cellH = 16;
  int m_ascent = 12;
  int m_wideInset = 0;  // a two-cell character's glyph, centred in its cells
  QHash<quint32, QStaticText> m_glyphs;
  QLabel* m_readout = nullptr;
  QString m_note;
  int m_frameNumber = 0;
};

}  // namespace ui

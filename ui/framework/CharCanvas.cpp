#include "ui/framework/CharCanvas.h"

#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStaticText>
#include <algorithm>

#include "ui/framework/DialogFont.h"
#include "ui/framework/GbkText.h"

namespace ui {
namespace {

using document::CellKind;
using document::CellPos;
using document::ScreenCell;

constexpr int kMargin = 6;  // neutral room around the canvas, in pixels
const QColor kOutside(0xC8, 0xC8, 0xC8);
const QColor kEdge(0xFF, 0x8C, 0x00);
const QColor kBeyond(0xF2, 0xB8, 0xB5);
const QColor kSelection(0x33, 0x99, 0xFF, 90);

const document::GbkCodePoints& CodePoints() {
  static const document::GbkCodePoints points;
  return points;
}

// What a cell shows as text; empty for a blank or the right half.
QString CellText(const ScreenCell& cell) {
  switch (cell.kind) {
    case CellKind::Narrow:
      return QString(QChar(cell.code));
    case CellKind::Stray:  // code page 936 has the euro sign at 0x80
      return cell.code == 0x80 ? QString(QChar(0x20AC)) : QStringLiteral("?");
    case CellKind::WideLeft: {
      const char32_t c = CodePoints().Of(cell.code);
      return QString::fromUcs4(&c, 1);
    }
    default:
      return {};
  }
}

QString ToolName(CharCanvas::Tool tool) {
  switch (tool) {
    case CharCanvas::Tool::Type:
      return U("键入");
    case CharCanvas::Tool::Pencil:
      return U("画笔");
    case CharCanvas::Tool::Line:
      return U("直线");
    case CharCanvas::Tool::Rect:
      return U("矩形");
    case CharCanvas::Tool::Fill:
      return U("填充");
  }
  return {};
}

}  // namespace

CharCanvas::CharCanvas(bool readOnly, QWidget* parent)
    : QAbstractScrollArea(parent), m_readOnly(readOnly) {
  setFont(ResolveArtFont(font().pointSize()));
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setFocusPolicy(readOnly ? Qt::ClickFocus : Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled, !readOnly);
  viewport()->setCursor(readOnly ? Qt::ArrowCursor : Qt::IBeamCursor);
  viewport()->setMouseTracking(false);
  if (!readOnly) {
    m_readout = new QLabel(this);
    m_readout->setTextFormat(Qt::PlainText);
    m_readout->setAutoFillBackground(true);
    m_readout->setContentsMargins(3, 0, 3, 0);
  }
  Measure();
}

void CharCanvas::Measure() {
  const QFontMetrics fm(font());
  m_cellW = std::max(1, fm.horizontalAdvance(QLatin1Char('M')));
  m_cellH = std::max(1, fm.height());
  m_ascent = fm.ascent();
  m_glyphs.clear();
  m_wideInset = std::max(0, (2 * m_cellW - fm.horizontalAdvance(QChar(0x4E2D))) / 2);
  if (m_readout) {
    m_readout->setFont(QWidget::font());
    setViewportMargins(0, 0, 0, QFontMetrics(m_readout->font()).height() + 2);
  }
  UpdateScrollBars();
  UpdateReadout();
}

void CharCanvas::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) Measure();
}

void CharCanvas::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  if (m_readout) {
    const QRect v = viewport()->geometry();
    m_readout->setGeometry(v.left(), v.bottom() + 1, v.width(),
                           QFontMetrics(m_readout->font()).height() + 2);
  }
  UpdateScrollBars();
}

void CharCanvas::SetFrameText(const std::string& gbk) {
  // Its own text coming back (every exchange brings it) leaves the cursor,
  // the block and the steps alone.
  if (m_cells.Text() == gbk) return;
  m_cells.SetText(gbk);
  m_undo.clear();
  m_redo.clear();
  m_typingRun = false;
  m_block = {};
  m_note.clear();
  m_cursor = Clamp(m_cursor);
  UpdateScrollBars();
  UpdateReadout();
  viewport()->update();
}

QString CharCanvas::PlainText() const { return FromGbk(m_cells.Text()); }

void CharCanvas::SetPlainText(const QString& text) {
  std::string gbk;
  if (!ToGbk(text, gbk)) {
    QString kept;
    for (const uint c : text.toUcs4()) {
      const char32_t one = c;
      const QString ch = QString::fromUcs4(&one, 1);
      std::string bytes;
      kept += ToGbk(ch, bytes) ? ch : QStringLiteral("?");
    }
    ToGbk(kept, gbk);
  }
  SetFrameText(gbk);
}

void CharCanvas::SetCanvasSize(int wide, int high) {
  wide = std::max(1, wide);
  high = std::max(1, high);
  if (wide == m_wide && high == m_high) return;
  m_wide = wide;
  m_high = high;
  m_cursor = Clamp(m_cursor);
  UpdateScrollBars();
  UpdateReadout();
  viewport()->update();
}

void CharCanvas::SetColors(unsigned back, unsigned fore) {
  const QColor b = QColor::fromRgb(back), f = QColor::fromRgb(fore);
  if (b == m_back && f == m_fore) return;
  m_back = b;
  m_fore = f;
  viewport()->update();
}

void CharCanvas::SetOnionFrames(const std::vector<std::string>& before,
                                const std::vector<std::string>& after) {
  auto take = [](std::vector<document::CellCanvas>& into, const std::vector<std::string>& texts) {
    into.resize(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) into[i].SetText(texts[i]);
  };
  take(m_onionBefore, before);
  take(m_onionAfter, after);
  if (m_onionShown) viewport()->update();
}

void CharCanvas::SetOnionShown(bool shown) {
  if (shown == m_onionShown) return;
  m_onionShown = shown;
  viewport()->update();
  UpdateReadout();
  emit OnionShownChanged(shown);
}

void CharCanvas::SetNote(const QString& note) {
  m_note = note;
  UpdateReadout();
}

// Another frame shown: the steps typed on the one before are not its own.
void CharCanvas::SetFrameNumber(int number) {
  if (number == m_frameNumber) return;
  m_frameNumber = number;
  ForgetSteps();
  UpdateReadout();
}

void CharCanvas::SetInsertMode(bool insert) {
  if (insert == m_insert) return;
  m_insert = insert;
  UpdateReadout();
  emit InsertModeChanged(insert);
}

void CharCanvas::SetTool(Tool tool) {
  m_tool = tool;
  viewport()->setCursor(tool == Tool::Type ? Qt::IBeamCursor : Qt::CrossCursor);
  UpdateReadout();
}

void CharCanvas::SetCursor(CellPos at) {
  const CellPos clamped = Clamp(at);
  if (clamped == m_cursor) return;
  const QRect old = CellBox(m_cursor.row, m_cursor.col, 2);
  m_cursor = clamped;
  m_typingRun = false;
  viewport()->update(old);
  viewport()->update(CellBox(m_cursor.row, m_cursor.col, 2));
  EnsureCursorVisible();
  UpdateReadout();
}

void CharCanvas::SetBlock(const document::CellRect& block) {
  if (block == m_block) return;
  m_block = block;
  viewport()->update();
  UpdateReadout();
}

// The cursor stays on the canvas, or on text beyond it, and at the start of
// a two-cell character.
CellPos CharCanvas::Clamp(CellPos at) const {
  const int rows = std::max(m_high, m_cells.Rows());
  at.row = std::clamp(at.row, 0, rows - 1);
  const int cols = std::max(m_wide, m_cells.RowExtent(at.row));
  at.col = std::clamp(at.col, 0, cols - 1);
  at.col = m_cells.CharStart(at.row, at.col);
  return at;
}

QRect CharCanvas::CellBox(int row, int col, int cells) const {
  return QRect(kMargin + col * m_cellW - horizontalScrollBar()->value(),
               kMargin + row * m_cellH - verticalScrollBar()->value(), cells * m_cellW, m_cellH);
}

QPoint CharCanvas::CellCenter(CellPos at) const { return CellBox(at.row, at.col).center(); }

CellPos CharCanvas::CellAt(QPoint p) const {
  const int x = p.x() + horizontalScrollBar()->value() - kMargin;
  const int y = p.y() + verticalScrollBar()->value() - kMargin;
  return {y < 0 ? 0 : y / m_cellH, x < 0 ? 0 : x / m_cellW};
}

void CharCanvas::UpdateScrollBars() {
  const int cols = std::max(m_wide, m_cells.WidestRow()) + 1;
  const int rows = std::max(m_high, m_cells.Rows()) + 1;
  const QSize area = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, cols * m_cellW + 2 * kMargin - area.width()));
  verticalScrollBar()->setRange(0, std::max(0, rows * m_cellH + 2 * kMargin - area.height()));
  horizontalScrollBar()->setPageStep(area.width());
  verticalScrollBar()->setPageStep(area.height());
  horizontalScrollBar()->setSingleStep(m_cellW);
  verticalScrollBar()->setSingleStep(m_cellH);
}

void CharCanvas::EnsureCursorVisible() {
  const QRect r = CellBox(m_cursor.row, m_cursor.col, 2);
  const QRect area = viewport()->rect();
  QScrollBar* h = horizontalScrollBar();
  QScrollBar* v = verticalScrollBar();
  if (r.left() < 0) h->setValue(h->value() + r.left() - kMargin);
  if (r.right() > area.right()) h->setValue(h->value() + r.right() - area.right() + kMargin);
  if (r.top() < 0) v->setValue(v->value() + r.top() - kMargin);
  if (r.bottom() > area.bottom()) v->setValue(v->value() + r.bottom() - area.bottom() + kMargin);
}

QString CharCanvas::Readout() const {
  if (m_readOnly) return {};
  QString character = FromGbk(m_cells.CharAt(m_cursor.row, m_cursor.col));
  if (character == QStringLiteral(" ")) character = U("空格");
  QString text = U("第%1行 第%2列  画布%3×%4  %5  %6  字符：%7")
                     .arg(m_cursor.row + 1)
                     .arg(m_cursor.col + 1)
                     .arg(m_wide)
                     .arg(m_high)
                     .arg(m_insert ? U("插入") : U("改写"))
                     .arg(ToolName(m_tool))
                     .arg(character);
  if (HasBlock()) text += U("  选区%1×%2").arg(m_block.Wide()).arg(m_block.High());
  if (!m_note.isEmpty()) text += QStringLiteral("  ") + m_note;
  if (m_cells.Reshaped()) text += U("  改过的行中的制表符和控制字符已按显示存为空格");
  const document::TextReach reach = m_cells.Reach();
  if (reach.cols > m_wide || reach.rows > m_high) {
    const QString frame = m_frameNumber > 0 ? U("第%1帧").arg(m_frameNumber) : U("此帧");
    text += U("  %1超出画布（到第%2列、第%3行）").arg(frame).arg(reach.cols).arg(reach.rows);
  }
  return text;
}

void CharCanvas::UpdateReadout() {
  if (!m_readout) return;
  m_readout->setText(Readout());
  QPalette pal = m_readout->palette();
  const document::TextReach reach = m_cells.Reach();
  const bool warn = !m_note.isEmpty() || reach.cols > m_wide || reach.rows > m_high;
  pal.setColor(QPalette::Window, warn ? kBeyond : palette().color(QPalette::Window));
  m_readout->setPalette(pal);
}

// The character colour mixed into the background: a frame further away is
// fainter.
QColor CharCanvas::Faint(int step) const {
  const double weight = 0.38 / (1 << step);
  auto mix = [weight](int a, int b) { return static_cast<int>(a + (b - a) * weight); };
  return QColor(mix(m_back.red(), m_fore.red()), mix(m_back.green(), m_fore.green()),
                mix(m_back.blue(), m_fore.blue()));
}

void CharCanvas::SetTrace(const Trace& trace) {
  m_trace = trace;
  viewport()->update();
}

// Scale in percent and offset in cells, each added to what is set.
void CharCanvas::AdjustTrace(int scale, int dx, int dy) {
  m_trace.scale = std::clamp(m_trace.scale + scale, 10, 1000);
  m_trace.dx = std::clamp(m_trace.dx + dx, -1000, 1000);
  m_trace.dy = std::clamp(m_trace.dy + dy, -1000, 1000);
  viewport()->update();
  emit TraceChanged();
}

// Fitted into the canvas keeping its proportions, then scaled about its
// middle and moved; only the canvas shows it.
void CharCanvas::PaintTrace(QPainter& p, const QRect& canvas) {
  if (!m_trace.shown || m_trace.image.isNull() || m_readOnly) return;
  QSizeF size = m_trace.image.size();
  size.scale(canvas.size(), Qt::KeepAspectRatio);
  size *= m_trace.scale / 100.0;
  QRectF target(QPointF(), size);
  target.moveCenter(QRectF(canvas).center() + QPointF(m_trace.dx * m_cellW, m_trace.dy * m_cellH));
  p.save();
  p.setClipRect(canvas);
  p.setOpacity(m_trace.opacity / 100.0);
  p.drawImage(target, m_trace.image);
  p.restore();
}

void CharCanvas::paintEvent(QPaintEvent* event) {
  QPainter p(viewport());
  const QRect area = event->rect();
  p.fillRect(area, kOutside);
  const QRect canvas = CellBox(0, 0, m_wide).adjusted(0, 0, 0, (m_high - 1) * m_cellH);
  p.fillRect(canvas & area, m_back);
  PaintTrace(p, canvas);
  p.setFont(font());
  PaintCells(p, area);
  PaintOverlay(p);
  p.setPen(QPen(kEdge, 1));
  p.drawRect(canvas.adjusted(-1, -1, 0, 0));
}

void CharCanvas::PaintCells(QPainter& p, const QRect& area) {
  const int scrollX = horizontalScrollBar()->value(), scrollY = verticalScrollBar()->value();
  const int firstRow = std::max(0, (area.top() + scrollY - kMargin) / m_cellH);
  const int lastRow = (area.bottom() + scrollY - kMargin) / m_cellH;
  const int firstCol = std::max(0, (area.left() + scrollX - kMargin) / m_cellW - 1);
  const int lastCol = (area.right() + scrollX - kMargin) / m_cellW;
  const bool onion = m_onionShown && !m_readOnly;
  for (int row = firstRow; row <= lastRow; ++row) {
    const int extent = m_cells.RowExtent(row);
    const int cols = std::min(lastCol, std::max(extent, onion ? m_wide : 0) - 1);
    for (int col = firstCol; col <= cols; ++col) {
      const ScreenCell& cell = m_cells.At(row, col);
      const bool beyond = row >= m_high || col >= m_wide;
      const int cells = cell.kind == CellKind::WideLeft ? 2 : 1;
      if (beyond && col < extent) p.fillRect(CellBox(row, col, cells), kBeyond);
      if (cell.kind == CellKind::Blank || (cell.kind == CellKind::Narrow && cell.code == ' ')) {
        if (onion && !beyond) PaintOnion(p, row, col);
        continue;
      }
      const QStaticText* glyph = Glyph(cell);
      if (!glyph) continue;
      const QRect r = CellBox(row, col, cells);
      p.setPen(beyond ? QColor(Qt::black) : cell.kind == CellKind::Stray ? kEdge : m_fore);
      p.drawStaticText(r.left() + (cells == 2 ? m_wideInset : 0), r.top(), *glyph);
    }
  }
}

// The nearest frame with a character at the cell shows it, faintly.
void CharCanvas::PaintOnion(QPainter& p, int row, int col) {
  auto show = [&](const std::vector<document::CellCanvas>& frames, int base) {
    for (std::size_t i = 0; i < frames.size(); ++i) {
      const ScreenCell& cell = frames[i].At(row, col);
      const QStaticText* glyph = Glyph(cell);
      if (!glyph || (cell.kind == CellKind::Narrow && cell.code == ' ')) continue;
      const int cells = cell.kind == CellKind::WideLeft ? 2 : 1;
      if (cells == 2 && m_cells.At(row, col + 1).kind != CellKind::Blank &&
          !(m_cells.At(row, col + 1).kind == CellKind::Narrow &&
            m_cells.At(row, col + 1).code == ' '))
        return false;
      p.setPen(Faint(static_cast<int>(i) + base));
      const QRect r = CellBox(row, col, cells);
      p.drawStaticText(r.left() + (cells == 2 ? m_wideInset : 0), r.top(), *glyph);
      return true;
    }
    return false;
  };
  if (!show(m_onionBefore, 0)) show(m_onionAfter, 1);
}

// Each character's glyph is laid out once and drawn from then on.
const QStaticText* CharCanvas::Glyph(const ScreenCell& cell) {
  if (cell.kind == CellKind::Blank || cell.kind == CellKind::WideRight) return nullptr;
  const quint32 key = static_cast<quint32>(cell.kind) << 16 | cell.code;
  auto it = m_glyphs.find(key);
  if (it == m_glyphs.end()) {
    QStaticText text(CellText(cell));
    text.setTextFormat(Qt::PlainText);
    text.setPerformanceHint(QStaticText::AggressiveCaching);
    text.prepare(QTransform(), font());
    it = m_glyphs.insert(key, text);
  }
  return &*it;
}

void CharCanvas::PaintOverlay(QPainter& p) {
  if (HasBlock()) {
    const QRect r = CellBox(m_block.top, m_block.left, m_block.Wide())
                        .adjusted(0, 0, 0, (m_block.High() - 1) * m_cellH);
    p.fillRect(r, kSelection);
    p.setPen(QPen(kSelection.darker(), 1, Qt::DashLine));
    p.drawRect(r.adjusted(0, 0, -1, -1));
  }
  if (m_readOnly || !hasFocus()) return;
  const int cells = m_cells.CharCells(m_cursor.row, m_cursor.col);
  const QRect r = CellBox(m_cursor.row, m_cursor.col, cells);
  if (!m_preedit.isEmpty()) {
    const QRect text(r.topLeft(),
                     QSize(QFontMetrics(font()).horizontalAdvance(m_preedit), m_cellH));
    p.fillRect(text, m_back);
    p.setPen(m_fore);
    p.drawText(text.left(), text.top() + m_ascent, m_preedit);
    p.drawLine(text.bottomLeft(), text.bottomRight());
    return;
  }
  // A block cursor while overwriting, a bar while inserting.
  p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  p.fillRect(m_insert ? QRect(r.left(), r.top(), 2, r.height()) : r, Qt::white);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void CharCanvas::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  viewport()->update();
}

void CharCanvas::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  viewport()->update();
}

}  // namespace ui

#include "ui/FrameStrip.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>

#include "document/Screen.h"
#include "document/ScreenCells.h"
#include "res/ControlIds.h"
#include "res/Texts.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/Accelerators.h"
#include "ui/framework/GbkText.h"

namespace ui {

namespace {

constexpr int kPad = 5;            // around each thumbnail and its number
constexpr int kPictureHigh = 60;   // a thumbnail's height for a usual canvas
constexpr int kPictureWide = 160;  // the widest a thumbnail gets
constexpr int kPictureNarrow = 16;
// Thumbnails kept at most; past it they are made again as they come.
constexpr int kMaxThumbs = 512;

QColor Rgb(std::uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb | 0xFF000000u)); }

bool IsSequenceCommand(int id) {
  return id >= res::IDC_SEQ_INSERT_BLANK && id <= res::IDC_SEQ_DELETE;
}

}  // namespace

FrameStrip::FrameStrip(CZoetrixDlg& dlg) : QAbstractScrollArea(&dlg), m_dlg(dlg) {
  setWindowFlags(Qt::Tool);
  setObjectName(QStringLiteral("FrameStrip"));
  setFocusPolicy(Qt::StrongFocus);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  horizontalScrollBar()->setSingleStep(1);
  const int high = kPad + PictureSize().height() + kPad + fontMetrics().height() + kPad;
  setMinimumHeight(high + horizontalScrollBar()->sizeHint().height() + 2 * frameWidth());
  resize(640, minimumHeight());
  FramesChanged();
}

void FrameStrip::PlaceBelow(const QWidget& main) {
  const QRect room = main.screen()->availableGeometry();
  const QRect outer = main.frameGeometry();
  // A frame like the main window's: what its title bar takes.
  const int title = main.geometry().top() - outer.top();
  const int wide = std::min(outer.width(), room.width());
  resize(wide, minimumHeight());
  int top = outer.bottom() + 1 + title;
  if (top + height() > room.bottom()) top = room.bottom() - height();
  move(std::clamp(outer.left(), room.left(), room.right() - wide), top);
}

int FrameStrip::Frames() const { return m_dlg.doc().FrameCount(); }

QSize FrameStrip::PictureSize() const {
  const auto& a = m_dlg.doc().m_animation;
  const int wide = a.m_nAnimWide > 0 ? a.m_nAnimWide : 80;
  const int high = a.m_nAnimHigh > 0 ? a.m_nAnimHigh : 25;
  // A character cell is about half as wide as it is high.
  int w = kPictureHigh * wide / (2 * high);
  int h = kPictureHigh;
  if (w > kPictureWide) {
    h = std::max(8, kPictureWide * 2 * high / wide);
    w = kPictureWide;
  }
  return {std::max(w, kPictureNarrow), h};
}

int FrameStrip::CellWidth() const {
  const int number = fontMetrics().horizontalAdvance(QString::number(std::max(Frames(), 1)));
  return std::max(PictureSize().width(), number) + 2 * kPad;
}

// Frames wholly in view (at least one).
int FrameStrip::Visible() const { return std::max(1, viewport()->width() / CellWidth()); }

int FrameStrip::FirstVisible() const { return horizontalScrollBar()->value(); }

QRect FrameStrip::CellRect(int position) const {
  const int first = FirstVisible();
  if (position < first || position > first + Visible() || position >= Frames()) return {};
  return {(position - first) * CellWidth(), 0, CellWidth(), viewport()->height()};
}

int FrameStrip::FrameAt(const QPoint& at) const {
  if (at.x() < 0 || at.y() < 0 || at.y() >= viewport()->height()) return -1;
  const int position = FirstVisible() + at.x() / CellWidth();
  return position < Frames() ? position : -1;
}

int FrameStrip::GapAt(int x) const {
  const int gap = x < 0 ? FirstVisible() : FirstVisible() + (x + CellWidth() / 2) / CellWidth();
  return std::clamp(gap, 0, Frames());
}

void FrameStrip::UpdateRange() {
  QScrollBar* bar = horizontalScrollBar();
  bar->setPageStep(Visible());
  bar->setRange(0, std::max(0, Frames() - Visible()));
}

void FrameStrip::FramesChanged() {
  UpdateRange();
  setWindowTitle(U(res::kStripCaption).arg(Frames()));
  if (m_first + m_count > Frames()) Select(std::min(m_first, Frames() - 1), 1);
  viewport()->update();
}

void FrameStrip::EditAreaMoved(int position) {
  UpdateRange();  // the frames may have changed too: scroll in the new range
  const bool inChoice = position >= m_first && position < m_first + m_count;
  if (!inChoice) {
    Select(position, position >= 0 ? 1 : 0);
    m_anchor = position;
  }
  ScrollTo(position);
  viewport()->update();
}

void FrameStrip::Select(int first, int count) {
  m_first = std::max(first, 0);
  m_count = first < 0 ? 0 : std::clamp(count, 0, Frames() - m_first);
  viewport()->update();
}

void FrameStrip::ScrollTo(int position) {
  if (position < 0) return;
  QScrollBar* bar = horizontalScrollBar();
  if (position < bar->value()) bar->setValue(position);
  if (position >= bar->value() + Visible()) bar->setValue(position - Visible() + 1);
}

// The picture as the console lays it out, one pixel a cell: the character
// colour where something is printed, the background elsewhere.
const QImage& FrameStrip::Thumbnail(const document::FrameText& text) {
  const auto& a = m_dlg.doc().m_animation;
  const QString made = QStringLiteral("%1x%2 %3")
                           .arg(a.m_nAnimWide)
                           .arg(a.m_nAnimHigh)
                           .arg(QString::fromStdString(a.m_strColor));
  if (made != m_thumbsFor || m_thumbs.size() >= kMaxThumbs) {
    m_thumbs.clear();
    m_thumbsFor = made;
  }
  auto it = m_thumbs.find(text.get());
  if (it != m_thumbs.end()) return it->image;
  const document::ConsoleColors colors = document::ShownColors(a.m_strColor);
  const int wide = std::max(a.m_nAnimWide, 1), high = std::max(a.m_nAnimHigh, 1);
  QImage image(wide, high, QImage::Format_RGB32);
  image.fill(Rgb(document::kConsoleRgb[colors.back]));
  const QRgb fore = Rgb(document::kConsoleRgb[colors.fore]).rgb();
  document::ScreenCells cells(wide, high);
  cells.Layout(text ? std::string_view(*text) : std::string_view(), document::Beyond::Ignore);
  for (int row = 0; row < std::min(cells.Rows(), high); ++row) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
    const auto printed = cells.RowCells(row);
    for (int col = 0; col < std::min(static_cast<int>(printed.size()), wide); ++col)
      if (printed[col].kind != document::CellKind::Blank && printed[col].code != ' ')
        line[col] = fore;
  }
  return m_thumbs.insert(text.get(), Thumb{text, std::move(image)})->image;
}

void FrameStrip::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  p.fillRect(viewport()->rect(), palette().base());
  const auto& frames = m_dlg.doc().m_animation.m_frames;
  const int edit = m_dlg.m_comboEdit->currentIndex();
  const int preview = m_dlg.m_comboPreview->currentIndex();
  const QSize picture = PictureSize();
  const int last = std::min(Frames(), FirstVisible() + Visible() + 1);
  m_drawn = std::max(0, last - FirstVisible());
  for (int i = FirstVisible(); i < last; ++i) {
    const QRect cell = CellRect(i);
    if (i >= m_first && i < m_first + m_count) p.fillRect(cell, palette().highlight());
    const QRect shot(cell.left() + (cell.width() - picture.width()) / 2, kPad, picture.width(),
                     picture.height());
    p.drawImage(shot, Thumbnail(frames.At(i)->pText));
    p.setPen(QPen(Qt::gray, 1));
    p.drawRect(shot.adjusted(-1, -1, 0, 0));
    if (i == preview) {
      p.setPen(QPen(Qt::blue, 2));
      p.drawRect(shot.adjusted(-2, -2, 1, 1));
    }
    if (i == edit) {
      p.setPen(QPen(Qt::red, 2));
      p.drawRect(shot.adjusted(-4, -4, 3, 3));
    }
    const bool chosen = i >= m_first && i < m_first + m_count;
    p.setPen(chosen ? palette().highlightedText().color() : palette().text().color());
    p.drawText(QRect(cell.left(), shot.bottom() + kPad, cell.width(), fontMetrics().height()),
               Qt::AlignCenter, QString::number(i + 1));
  }
  if (m_dragging && m_dropGap >= 0) {
    const int x = (m_dropGap - FirstVisible()) * CellWidth();
    p.fillRect(QRect(x - 2, 0, 4, viewport()->height()), palette().text());
  }
}

void FrameStrip::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateRange();
}

void FrameStrip::scrollContentsBy(int, int) { viewport()->update(); }

void FrameStrip::wheelEvent(QWheelEvent* event) {
  const QPoint turn = event->angleDelta();
  const int notches = (turn.y() != 0 ? turn.y() : turn.x()) / 40;
  horizontalScrollBar()->setValue(horizontalScrollBar()->value() - notches);
  event->accept();
}

void FrameStrip::mousePressEvent(QMouseEvent* event) {
  m_pressed = -1;
  m_dragging = false;
  if (event->button() != Qt::LeftButton) return;
  const int at = FrameAt(event->position().toPoint());
  if (at < 0) return;
  if (event->modifiers() & Qt::ShiftModifier) {
    Select(std::min(m_anchor, at), std::abs(at - m_anchor) + 1);
    return;
  }
  if (event->modifiers() & Qt::ControlModifier) {
    const int lo = m_count > 0 ? std::min(m_first, at) : at;
    const int hi = m_count > 0 ? std::max(m_first + m_count - 1, at) : at;
    Select(lo, hi - lo + 1);
    return;
  }
  if (at < m_first || at >= m_first + m_count) Select(at, 1);
  m_pressed = at;
  m_pressAt = event->position().toPoint();
}

void FrameStrip::mouseMoveEvent(QMouseEvent* event) {
  if (m_pressed < 0 || !(event->buttons() & Qt::LeftButton)) return;
  const QPoint at = event->position().toPoint();
  if (!m_dragging && (at - m_pressAt).manhattanLength() < QApplication::startDragDistance()) return;
  m_dragging = true;
  // Past either end the strip scrolls on.
  if (at.x() < 0) horizontalScrollBar()->setValue(FirstVisible() - 1);
  if (at.x() >= viewport()->width()) horizontalScrollBar()->setValue(FirstVisible() + 1);
  m_dropGap = GapAt(at.x());
  viewport()->update();
}

void FrameStrip::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || m_pressed < 0) return;
  const int pressed = std::exchange(m_pressed, -1);
  if (!std::exchange(m_dragging, false)) {
    Select(pressed, 1);
    m_anchor = pressed;
    m_dlg.ShowInEditArea(pressed);
    return;
  }
  viewport()->update();
  const int gap = m_dropGap, first = m_first, count = m_count;
  const int to = gap <= first ? gap : gap >= first + count ? gap - count : first;
  if (to != first && count > 0) m_dlg.MoveFrames(first, count, to);
}

void FrameStrip::contextMenuEvent(QContextMenuEvent* event) {
  const int at = FrameAt(viewport()->mapFrom(this, event->pos()));
  if (at >= 0 && (at < m_first || at >= m_first + m_count)) {
    Select(at, 1);
    m_anchor = at;
  }
  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("stripMenu"));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const int first = m_first, count = m_count;
  m_dlg.AddFrameCommands(*menu,
                         [this, first, count](int id) { m_dlg.RunFromStrip(id, first, count); });
  menu->popup(event->globalPos());
}

void FrameStrip::keyPressEvent(QKeyEvent* event) {
  const int edit = m_dlg.m_comboEdit->currentIndex();
  if (event->modifiers() == Qt::NoModifier &&
      (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
    m_dlg.ShowInEditArea(edit + (event->key() == Qt::Key_Left ? -1 : 1));
    return;
  }
  // The main window's keys work here too, on the frames chosen.
  if (const AcceleratorTable* keys = m_dlg.Accelerators()) {
    if (const int id = keys->Translate(*event)) {
      if (IsSequenceCommand(id))
        m_dlg.RunFromStrip(id, m_first, m_count);
      else
        m_dlg.RunCommand(id, Notify::Clicked);
      return;
    }
  }
  QAbstractScrollArea::keyPressEvent(event);
}

}  // namespace ui

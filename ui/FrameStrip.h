#pragma once
// The frame strip: a window of its own showing the frames in a row as
// numbered thumbnails in the animation's colours, the edit area's frame
// framed in red and the preview's in blue. A click shows a frame in the edit
// area, Shift+click chooses the frames from the last one clicked, Ctrl+click
// stretches the choice to a frame; dragging the chosen frames moves them; the
// context menu and the main window's keys act on the frames chosen.
//
// Only what is visible is drawn, and each picture is laid out once: the
// scroll bar counts frames, thumbnails are kept by picture, so copies of one
// picture share one.
#include <QAbstractScrollArea>
#include <QHash>
#include <QImage>
#include <QPoint>
#include <string>

#include "document/FrameList.h"

class CZoetrixDlg;

namespace ui {

class FrameStrip : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit FrameStrip(CZoetrixDlg& dlg);

  // Opens near the bottom of the main window's screen, under it where
  // there is room, as wide as the main window.
  void PlaceBelow(const QWidget& main);
  // The frames changed: count, texts, canvas or colours.
  void FramesChanged();
  // The edit area shows another frame: a lone choice follows it, and it is
  // scrolled into view.
  void EditAreaMoved(int position);
  // The frames chosen (count 0: none).
  void Select(int first, int count);
  int SelectedFirst() const { return m_first; }
  int SelectedCount() const { return m_count; }

  // Where frame position is drawn, in the viewport (empty when out of view),
  // and the frame at a point of it (-1: none).
  QRect CellRect(int position) const;
  int FrameAt(const QPoint& at) const;
  int FirstVisible() const;
  // Thumbnails laid out so far (kept for pictures seen lately).
  int CachedThumbnails() const { return static_cast<int>(m_thumbs.size()); }
  // Thumbnails drawn by the last paint.
  int LastDrawn() const { return m_drawn; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  struct Thumb {
    document::FrameText text;  // kept, so its address is not reused
    QImage image;
  };
  int Frames() const;
  int Visible() const;
  int CellWidth() const;
  QSize PictureSize() const;
  // The gap a drop at x falls into: 0 before the first frame, Frames()
  // after the last.
  int GapAt(int x) const;
  const QImage& Thumbnail(const document::FrameText& text);
  void ScrollTo(int position);
  void UpdateRange();

  CZoetrixDlg& m_dlg;
  int m_first = 0;  // the frames chosen
  int m_count = 0;
  int m_anchor = 0;  // where Shift+click chooses from
  // A press on a frame: a drag once the mouse moves far enough.
  int m_pressed = -1;
  QPoint m_pressAt;
  Qt::KeyboardModifiers m_pressMods;
  bool m_dragging = false;
  int m_dropGap = -1;
  // The thumbnails by picture, for the canvas and colours they were made in.
  QHash<const std::string*, Thumb> m_thumbs;
  QString m_thumbsFor;
  int m_drawn = 0;
};

}  // namespace ui

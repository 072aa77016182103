// The canvas's context menu: tools, the line style, blocks, the mode and
// the frames behind.
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QMenu>

#include "ui/framework/CharCanvas.h"
#include "ui/framework/GbkText.h"

namespace ui {

QMenu* CharCanvas::BuildMenu(QWidget* parent, bool withUndo) {
  auto* menu = new QMenu(parent);
  if (!m_readOnly && withUndo) {
    menu->addAction(U("撤销(&U)"), QKeySequence::Undo, this, [this] { Undo(); })
        ->setEnabled(CanUndo());
    menu->addAction(U("重做(&R)"), QKeySequence(Qt::CTRL | Qt::Key_Y), this, [this] { Redo(); })
        ->setEnabled(CanRedo());
    menu->addSeparator();
  }
  if (!m_readOnly) {
    menu->addAction(U("剪切(&T)"), QKeySequence::Cut, this, [this] { CutBlock(); })
        ->setEnabled(HasBlock());
  }
  menu->addAction(U("复制(&C)"), QKeySequence::Copy, this, [this] { CopyBlock(); });
  if (m_readOnly) return menu;
  menu->addAction(U("粘贴(&P)"), QKeySequence::Paste, this, [this] { PasteAtCursor(); });
  menu->addAction(U("清除(&D)"), QKeySequence::Delete, this, [this] { ClearBlockOrChar(); });
  menu->addSeparator();

  auto* tools = new QActionGroup(menu);
  const char* names[] = {"键入", "画笔", "直线", "矩形", "填充"};
  for (int i = 0; i < 5; ++i) {
    QAction* a = menu->addAction(U(names[i]), this, [this, i] { SetTool(static_cast<Tool>(i)); });
    a->setShortcut(QKeySequence(Qt::ALT | static_cast<Qt::Key>(Qt::Key_1 + i)));
    a->setCheckable(true);
    a->setChecked(static_cast<int>(m_tool) == i);
    tools->addAction(a);
  }
  menu->addAction(U("画笔字符：%1").arg(FromGbk(m_brush)))->setEnabled(false);
  QAction* box = menu->addAction(U("线条用制表符(─│┌┐)"), this, [this](bool on) {
    m_style = on ? document::LineStyle::Box : document::LineStyle::Ascii;
  });
  box->setShortcut(QKeySequence(Qt::ALT | Qt::Key_B));
  box->setCheckable(true);
  box->setChecked(m_style == document::LineStyle::Box);
  menu->addSeparator();

  QAction* insert = menu->addAction(U("插入模式"), this, [this](bool on) { SetInsertMode(on); });
  insert->setShortcut(QKeySequence(Qt::Key_Insert));
  insert->setCheckable(true);
  insert->setChecked(m_insert);
  QAction* onion =
      menu->addAction(U("显示前后帧(洋葱皮)"), this, [this](bool on) { SetOnionShown(on); });
  onion->setShortcut(QKeySequence(Qt::ALT | Qt::Key_O));
  onion->setCheckable(true);
  onion->setChecked(m_onionShown);

  QMenu* trace = menu->addMenu(U("描图"));
  trace->addAction(U("选择图片…"), this, [this] { emit TraceChooseRequested(); });
  QAction* shown = trace->addAction(U("显示描图"), this, [this](bool on) {
    m_trace.shown = on;
    viewport()->update();
    emit TraceChanged();
  });
  shown->setCheckable(true);
  shown->setChecked(m_trace.shown);
  shown->setEnabled(!m_trace.image.isNull());
  const struct {
    const char* text;
    int scale, dx, dy;
  } moves[] = {{"放大", 10, 0, 0},    {"缩小", -10, 0, 0},    {"左移一格", 0, -1, 0},
               {"右移一格", 0, 1, 0}, {"上移一格", 0, 0, -1}, {"下移一格", 0, 0, 1}};
  for (const auto& m : moves)
    trace->addAction(U(m.text), this, [this, m] { AdjustTrace(m.scale, m.dx, m.dy); })
        ->setEnabled(!m_trace.image.isNull());
  QMenu* opacity = trace->addMenu(U("浓淡"));
  for (const int percent : {20, 35, 50}) {
    QAction* a = opacity->addAction(U("%1%").arg(percent), this, [this, percent] {
      m_trace.opacity = percent;
      viewport()->update();
      emit TraceChanged();
    });
    a->setCheckable(true);
    a->setChecked(m_trace.opacity == percent);
  }
  return menu;
}

void CharCanvas::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = BuildMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

}  // namespace ui

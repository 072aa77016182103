#include "ui/framework/ZDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QShowEvent>
#include <QSlider>
#include <QTextDocument>
#include <QTimer>
#include <QTimerEvent>

#include "ui/framework/Accelerators.h"
#include "ui/framework/CharCanvas.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/Modal.h"
#include "ui/framework/Resources.h"
#include "ui/framework/Widgets.h"

namespace ui {
namespace {

// The frame a window is assumed to get until the window manager reports the
// real one: a title bar as tall as the common desktops draw theirs.
const QMargins kFrameGuess(8, 40, 8, 8);
// Below this the Chinese captions stop being readable.
constexpr int kSmallestPointSize = 7;
// A sizable window may be made this much smaller than its table says to fit
// the screen (the controls follow); on a smaller screen its title bar and
// its top left part stay in view instead.
constexpr double kSmallestScale = 0.75;
// How long a window waits for its frame to be reported: 40 looks, 50 ms apart.
constexpr int kFrameChecks = 40;
constexpr int kFrameCheckInterval = 50;

}  // namespace

ZDialog::ZDialog(const DialogTemplate& tpl, QWidget* parent) : QDialog(parent), m_tpl(tpl) {
  InitResources();
  setObjectName(QString::fromUtf8(tpl.objectName));
  setWindowTitle(QString::fromUtf8(tpl.caption));
  QFont font = ResolveDialogFont(tpl.font, tpl.pointSize);
  m_units = DialogUnits::FromFont(font);
  // The screen the window will show on decides too: what it leaves below a
  // title bar is the most the client area can have.
  int maxClientHeight = tpl.maxClientHeight;
  if (const QScreen* s = screen()) {
    const int room = s->availableGeometry().height() - kFrameGuess.top() - kFrameGuess.bottom();
    if (maxClientHeight <= 0 || room < maxClientHeight) maxClientHeight = room;
  }
  for (int size = tpl.pointSize - 1;
       maxClientHeight > 0 && m_units.MapY(tpl.height) > maxClientHeight &&
       size >= kSmallestPointSize;
       --size) {
    font = ResolveDialogFont(tpl.font, size);
    m_units = DialogUnits::FromFont(font);
  }
  setFont(font);

  Qt::WindowFlags flags = Qt::Dialog;
  if (tpl.style & kStyleNoCaption) {
    flags = Qt::Dialog | Qt::FramelessWindowHint;
  } else {
    flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tpl.style & kStyleMinMax)
      flags = (flags & ~Qt::Dialog) | Qt::Window | Qt::WindowMinMaxButtonsHint;
    m_sysMenu = {{SC_RESTORE, U("还原(&R)")},
                 {SC_MINIMIZE, U("最小化(&N)")},
                 {SC_MAXIMIZE, U("最大化(&X)")},
                 {0, {}},
                 {SC_CLOSE, U("关闭(&C)\tAlt+F4")}};
  }
  setWindowFlags(flags);
  const QSize client(m_units.MapX(tpl.width), m_units.MapY(tpl.height));
  if (tpl.style & kStyleSizing)
    resize(client);
  else
    setFixedSize(client);
  InstallKeyRouter();
}

ZDialog::~ZDialog() = default;

void ZDialog::BuildControls() {
  if (m_controlsBuilt) return;
  m_controlsBuilt = true;
  for (const ControlEntry& entry : m_tpl.controls) {
    QWidget* w = MakeControl(entry);
    w->setGeometry(m_units.Map(entry.x, entry.y, entry.w, entry.h));
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
      // The table gives the height of the dropped list; the closed box keeps its own.
      const int listHeight = m_units.MapY(entry.h) - combo->sizeHint().height();
      const int row = qMax(1, combo->fontMetrics().height() + 2);
      combo->setMaxVisibleItems(qMax(1, listHeight / row));
      w->resize(w->width(), combo->sizeHint().height());
    }
    if (auto* pic = qobject_cast<QLabel*>(w); pic && entry.kind == ControlKind::Picture) {
      const QPixmap pm = pic->pixmap();
      if (!pm.isNull() && (pm.width() > w->width() || pm.height() > w->height()))
        pic->setPixmap(pm.scaled(w->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    w->setProperty("controlId", entry.id);
    if (entry.id != IDC_STATIC) {
      w->setObjectName(QStringLiteral("ctl_%1").arg(entry.id));
      m_byId.insert(entry.id, w);
    }
    m_controls.append(w);
    Wire(w, entry.id);
    if (auto* e = qobject_cast<QPlainTextEdit*>(w)) {
      m_textCaches.insert(e, {});
      connect(e->document(), &QTextDocument::contentsChanged, this,
              [this, e] { m_textCaches[e].valid = false; });
    }
  }
  WidenCheckBoxes();
}

// The stand-in fonts are wider than the classic ones: a check box whose
// caption does not fit takes the free room to its right, where there is some.
void ZDialog::WidenCheckBoxes() {
  const int right = m_units.MapX(m_tpl.width);
  for (QWidget* w : m_controls) {
    if (!qobject_cast<QCheckBox*>(w) || w->sizeHint().width() <= w->width()) continue;
    QRect wanted = w->geometry();
    wanted.setWidth(qMin(w->sizeHint().width(), right - wanted.x()));
    bool free = true;
    for (QWidget* other : m_controls)
      if (other != w && !qobject_cast<QGroupBox*>(other) && other->geometry().intersects(wanted))
        free = false;
    if (free) w->setGeometry(wanted);
  }
}

QWidget* ZDialog::MakeControl(const ControlEntry& entry) {
  const QString caption = QString::fromUtf8(entry.caption ? entry.caption : "");
  switch (entry.kind) {
    case ControlKind::Button:
      return new QPushButton(caption, this);
    case ControlKind::DefaultButton: {
      auto* b = new QPushButton(caption, this);
      b->setDefault(true);
      return b;
    }
    case ControlKind::WrapButton:
      return new WrapButton(caption, this);
    case ControlKind::LeftButton: {
      auto* b = new QPushButton(caption, this);
      b->setStyleSheet(QStringLiteral("text-align: left; padding-left: 4px;"));
      return b;
    }
    case ControlKind::SunkenLabel: {
      auto* l = new QLabel(caption, this);
      l->setTextFormat(Qt::PlainText);
      l->setAlignment(Qt::AlignCenter);
      l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      return l;
    }
    case ControlKind::FigureLabel: {
      auto* l = new QLabel(caption, this);
      l->setTextFormat(Qt::PlainText);
      l->setAlignment(Qt::AlignRight | Qt::AlignTop);
      return l;
    }
    case ControlKind::Label:
    case ControlKind::DisabledLabel: {
      const bool rule = !caption.isEmpty() && caption.count(QLatin1Char('_')) == caption.size();
      auto* l = rule ? new RuleLabel(caption, this) : new QLabel(caption, this);
      l->setTextFormat(Qt::PlainText);
      l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      l->setEnabled(entry.kind == ControlKind::Label);
      return l;
    }
    case ControlKind::Group: {
      auto* g = new GroupFrame(caption, this);
      // Drawn behind the controls it frames, and never in the way of the mouse.
      g->setAttribute(Qt::WA_TransparentForMouseEvents);
      g->setFocusPolicy(Qt::NoFocus);
      return g;
    }
    case ControlKind::Check:
      return new QCheckBox(caption, this);
    case ControlKind::DropList: {
      auto* c = new QComboBox(this);
      c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
      c->setMinimumContentsLength(4);
      // A list dropped below the box, as high as the table says: the style's
      // own popup ignores the visible-item count and measures every item,
      // which at a million frames takes seconds.
      c->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
      if (auto* list = qobject_cast<QListView*>(c->view())) list->setUniformItemSizes(true);
      c->view()->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
      return c;
    }
    case ControlKind::DigitsField: {
      auto* e = new QLineEdit(this);
      e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), e));
      return e;
    }
    case ControlKind::Field:
      return new QLineEdit(this);
    case ControlKind::MultiLineEdit:
    case ControlKind::ReadOnlyMultiLine: {
      auto* canvas = new CharCanvas(entry.kind == ControlKind::ReadOnlyMultiLine, this);
      canvas->setFont(ResolveArtFont(font().pointSize()));
      return canvas;
    }
    case ControlKind::ReadOnlyWrapped: {
      auto* e = new QPlainTextEdit(this);
      e->setReadOnly(true);
      e->setTabChangesFocus(true);
      e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      return e;
    }
    case ControlKind::Slider:
      return new TrackSlider(Qt::Horizontal, this);
    case ControlKind::Progress: {
      auto* p = new QProgressBar(this);
      p->setTextVisible(false);
      p->setRange(0, 100);
      p->setValue(0);
      return p;
    }
    case ControlKind::Picture: {
      auto* l = new QLabel(this);
      l->setAlignment(Qt::AlignCenter);
      l->setPixmap(QPixmap(caption));
      return l;
    }
  }
  return new QWidget(this);
}

void ZDialog::Wire(QWidget* w, int id) {
  if (id == IDC_STATIC) return;
  if (auto* b = qobject_cast<QPushButton*>(w)) {
    connect(b, &QPushButton::clicked, this, [this, id] { RunCommand(id, Notify::Clicked); });
  } else if (auto* c = qobject_cast<QComboBox*>(w)) {
    // Only the user's choice notifies, not a selection set by the program.
    connect(c, &QComboBox::activated, this, [this, id] { RunCommand(id, Notify::SelChange); });
  } else if (auto* s = qobject_cast<TrackSlider*>(w)) {
    // Letting go of the mouse, after dragging the handle or clicking the
    // track alike; handled at once, so no tick comes between.
    connect(s, &TrackSlider::Released, this,
            [this, id] { RunCommand(id, Notify::ReleasedCapture); });
  }
}

int ZDialog::DoModal() {
  BuildControls();
  OnInitDialog();
  return RunModal(*this);
}

void ZDialog::Create() {
  BuildControls();
  OnInitDialog();
  show();
}

bool ZDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

bool ZDialog::UpdateData(bool saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(dx);
  if (!saveAndValidate) m_holdFrom = 0;
  return !dx.Failed();
}

bool ZDialog::RepeatsRefusal(const QString& message) {
  if (message == m_lastRefusal) return true;
  m_lastRefusal = message;
  return false;
}

TextCache* ZDialog::TextCacheOf(const QWidget* w) {
  auto it = m_textCaches.find(w);
  return it == m_textCaches.end() ? nullptr : &*it;
}

void ZDialog::SetDlgItemText(int id, const QString& text) {
  if (QWidget* w = Control(id)) SetControlText(w, text);
}

QString ZDialog::ControlText(const QWidget* w) {
  if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
  if (auto* e = qobject_cast<const QPlainTextEdit*>(w)) return e->toPlainText();
  if (auto* c = qobject_cast<const CharCanvas*>(w)) return c->PlainText();
  if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
  if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
  if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
  if (auto* c = qobject_cast<const QComboBox*>(w)) return c->currentText();
  return {};
}

void ZDialog::SetControlText(QWidget* w, const QString& text) {
  // Unchanged text is left alone, so the caret and scroll position stay.
  if (auto* e = qobject_cast<QLineEdit*>(w)) {
    if (e->text() != text) e->setText(text);
  } else if (auto* c = qobject_cast<CharCanvas*>(w)) {
    c->SetPlainText(text);
  } else if (auto* e = qobject_cast<QPlainTextEdit*>(w)) {
    if (e->toPlainText() != text) e->setPlainText(text);
  } else if (auto* l = qobject_cast<QLabel*>(w)) {
    l->setText(text);
  } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
    b->setText(text);
  } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
    g->setTitle(text);
  }
}

void ZDialog::SetTimer(int id, int milliseconds) {
  KillTimer(id);
  const int qtId = startTimer(qMax(0, milliseconds), Qt::PreciseTimer);
  if (qtId == 0) return;
  m_timers.insert(id, qtId);
  m_timerIds.insert(qtId, id);
  m_timerIntervals.insert(id, milliseconds);
}

void ZDialog::SetTimerOnce(int id, int milliseconds) {
  SetTimer(id, milliseconds);
  if (HasTimer(id)) m_timersOnce.insert(id);
}

void ZDialog::KillTimer(int id) {
  auto it = m_timers.find(id);
  if (it == m_timers.end()) return;
  killTimer(*it);
  m_timerIds.remove(*it);
  m_timers.erase(it);
  m_timerIntervals.remove(id);
  m_timersOnce.remove(id);
}

void ZDialog::timerEvent(QTimerEvent* event) {
  auto it = m_timerIds.find(event->timerId());
  if (it == m_timerIds.end()) return QDialog::timerEvent(event);
  const int id = *it;
  if (m_timersOnce.contains(id)) KillTimer(id);
  m_lastRefusal.clear();
  OnTimer(id);
}

void ZDialog::EndDialog(int result) { QDialog::done(result); }

void ZDialog::RunCommand(int id, Notify notify) {
  m_lastRefusal.clear();
  OnCommand(id, notify);
}

void ZDialog::OnCommand(int id, Notify) {
  if (id == IDOK) OnOK();
  if (id == IDCANCEL) OnCancel();
}

void ZDialog::OnOK() {
  UpdateData(true);
  EndDialog(IDOK);
}

void ZDialog::OnCancel() { EndDialog(IDCANCEL); }

// Escape, the close box and Alt+F4 all arrive as the cancel command.
void ZDialog::reject() { RunCommand(IDCANCEL, Notify::Clicked); }
void ZDialog::accept() { RunCommand(IDOK, Notify::Clicked); }

void ZDialog::keyPressEvent(QKeyEvent* event) {
  const bool plain = !(event->modifiers() & ~Qt::KeypadModifier);
  if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    // A focused button takes Enter itself; anywhere else Enter is the OK command.
    if (auto* b = qobject_cast<QPushButton*>(focusWidget())) {
      b->click();
    } else {
      RunCommand(IDOK, Notify::Clicked);
    }
    return;
  }
  if (plain && event->key() == Qt::Key_Escape) {
    RunCommand(IDCANCEL, Notify::Clicked);
    return;
  }
  QDialog::keyPressEvent(event);
}

void ZDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (m_placed || event->spontaneous()) return;
  m_placed = true;
  FitToScreen(parentWidget() == nullptr);
  // On X a window gets its frame only after the window manager has mapped
  // it, and no event says so: look again for a short while.
  if (frameGeometry() == geometry()) AwaitFrame(kFrameChecks);
}

void ZDialog::AwaitFrame(int checksLeft) {
  QTimer::singleShot(kFrameCheckInterval, this, [this, checksLeft] {
    if (!isVisible()) return;
    if (frameGeometry() != geometry()) {
      FitToScreen(false);
    } else if (checksLeft > 1) {
      AwaitFrame(checksLeft - 1);
    }
  });
}

// Puts the whole window, frame and title bar included, on the available part
// of its screen: shrunk if it may be and must be, centred when asked, and
// moved in from the edges it passes. Where it cannot fit, its title bar and
// top left corner are what stays in view.
void ZDialog::FitToScreen(bool centre) {
  const QScreen* s = screen();
  if (!s) return;
  const QRect frame = frameGeometry();
  const QRect client = geometry();
  const bool frameKnown = frame != client;
  const QMargins margins =
      frameKnown ? QMargins(client.left() - frame.left(), client.top() - frame.top(),
                            frame.right() - client.right(), frame.bottom() - client.bottom())
                 : kFrameGuess;
  const QRect room = s->availableGeometry().marginsRemoved(margins);
  QRect g = client;
  if (m_tpl.style & kStyleSizing) {
    const QSize designed(m_units.MapX(m_tpl.width), m_units.MapY(m_tpl.height));
    const QSize smallest(static_cast<int>(designed.width() * kSmallestScale),
                         static_cast<int>(designed.height() * kSmallestScale));
    g.setSize(g.size().boundedTo(room.size()).expandedTo(smallest.boundedTo(g.size())));
  }
  if (centre) g.moveCenter(room.center());
  if (g.right() > room.right()) g.moveRight(room.right());
  if (g.bottom() > room.bottom()) g.moveBottom(room.bottom());
  if (g.left() < room.left()) g.moveLeft(room.left());
  if (g.top() < room.top()) g.moveTop(room.top());
  if (g != client) setGeometry(g);
}

void ZDialog::AppendSystemMenu(int id, const QString& text) { m_sysMenu.push_back({id, text}); }

void ZDialog::SetSystemMenuItem(int id, const QString& text, bool enabled) {
  for (SysMenuEntry& e : m_sysMenu) {
    if (e.id != id || id == 0) continue;
    e.text = text;
    e.enabled = enabled;
  }
}

void ZDialog::ShowSystemMenu(const QPoint& globalPos) {
  if (m_sysMenu.empty()) return;
  OnInitSystemMenu();
  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("systemMenu"));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  for (const SysMenuEntry& e : m_sysMenu) {
    if (e.id == 0) {
      menu->addSeparator();
      continue;
    }
    QAction* a = menu->addAction(e.text);
    a->setEnabled(e.enabled);
    const int id = e.id;
    connect(a, &QAction::triggered, this, [this, id] { OnSysCommand(id); });
  }
  menu->popup(globalPos);
}

void ZDialog::OnSysCommand(int id) {
  switch (id & 0xFFF0) {
    case SC_MINIMIZE:
      showMinimized();
      break;
    case SC_MAXIMIZE:
      showMaximized();
      break;
    case SC_RESTORE:
      showNormal();
      break;
    case SC_CLOSE:
      RunCommand(IDCANCEL, Notify::Clicked);
      break;
    default:
      break;
  }
}

void ZDialog::contextMenuEvent(QContextMenuEvent* event) {
  QWidget* under = childAt(event->pos());
  if (!under || qobject_cast<QLabel*>(under) || qobject_cast<QGroupBox*>(under)) {
    ShowSystemMenu(event->globalPos());
    return;
  }
  QDialog::contextMenuEvent(event);
}

}  // namespace ui

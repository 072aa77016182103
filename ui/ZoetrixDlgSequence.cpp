// Shaping the sequence from the main window: inserting, duplicating, moving,
// holding and deleting the frame the edit area shows (or the block chosen in
// the frame strip), from keys, the edit area's context menu, the system menu
// and the strip.
#include <QComboBox>
#include <QMenu>
#include <algorithm>
#include <functional>
#include <utility>

#include "res/ControlIds.h"
#include "res/Texts.h"
#include "ui/FrameStrip.h"
#include "ui/SequenceNumber.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/CharCanvas.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using document::kMaxDelay;
using document::kMaxFrames;
using document::SequenceAction;
using document::SequenceCommand;
using document::SequenceOutcome;

using namespace ui;

namespace {

// System command identifiers: multiples of 16, clear of the others'.
constexpr int kSysUndo = 0x400;
constexpr int kSysRedo = 0x410;

struct SequenceItem {
  int command;
  int sysCommand;
  const char* menuText;
};

const SequenceItem kSequenceItems[] = {
    {res::IDC_SEQ_INSERT_BLANK, 0x430, res::kSeqInsertBlankMenu},
    {res::IDC_SEQ_DUPLICATE, 0x440, res::kSeqDuplicateMenu},
    {res::IDC_SEQ_MOVE_EARLIER, 0x450, res::kSeqMoveEarlierMenu},
    {res::IDC_SEQ_MOVE_LATER, 0x460, res::kSeqMoveLaterMenu},
    {res::IDC_SEQ_MOVE_TO, 0x470, res::kSeqMoveToMenu},
    {res::IDC_SEQ_HOLD, 0x480, res::kSeqHoldMenu},
    {res::IDC_SEQ_HOLD_SECONDS, 0x490, res::kSeqHoldSecondsMenu},
    {res::IDC_SEQ_DELETE, 0x4A0, res::kSeqDeleteMenu},
    {res::IDC_FRAME_STRIP, 0x4B0, res::kSeqStripMenu},
};

SequenceAction ActionOf(int id) {
  switch (id) {
    case res::IDC_SEQ_DUPLICATE:
      return SequenceAction::kDuplicate;
    case res::IDC_SEQ_MOVE_EARLIER:
      return SequenceAction::kMoveEarlier;
    case res::IDC_SEQ_MOVE_LATER:
      return SequenceAction::kMoveLater;
    case res::IDC_SEQ_MOVE_TO:
      return SequenceAction::kMoveTo;
    case res::IDC_SEQ_HOLD:
    case res::IDC_SEQ_HOLD_SECONDS:
      return SequenceAction::kHold;
    case res::IDC_SEQ_DELETE:
      return SequenceAction::kDelete;
    default:
      return SequenceAction::kInsertBlank;
  }
}

// Where the block stands after the command, for the strip to choose it.
std::pair<int, int> BlockAfter(const SequenceCommand& c, int editAfter) {
  switch (c.action) {
    case SequenceAction::kDuplicate:
      return {c.first + c.count, c.count};
    case SequenceAction::kMoveEarlier:
      return {c.first - 1, c.count};
    case SequenceAction::kMoveLater:
      return {c.first + 1, c.count};
    case SequenceAction::kMoveTo:
      return {c.number - 1, c.count};
    case SequenceAction::kHold:
      return {c.first, c.count * (c.number + 1)};
    default:
      return {editAfter, 1};
  }
}

}  // namespace

void CZoetrixDlg::AppendSequenceMenu() {
  AppendSystemMenu(0, {});
  AppendSystemMenu(kSysUndo, U(res::kUndoNothingMenu));
  AppendSystemMenu(kSysRedo, U(res::kRedoNothingMenu));
  AppendSystemMenu(0, {});
  for (const SequenceItem& item : kSequenceItems)
    AppendSystemMenu(item.sysCommand, U(item.menuText));
}

void CZoetrixDlg::OnInitSystemMenu() {
  SetSystemMenuItem(kSysUndo, UndoMenuText(), UndoMenuText() != U(res::kUndoNothingMenu));
  SetSystemMenuItem(kSysRedo, RedoMenuText(), RedoMenuText() != U(res::kRedoNothingMenu));
}

bool CZoetrixDlg::OnSequenceSysCommand(int sysCommand) {
  if (sysCommand == kSysUndo || sysCommand == kSysRedo) {
    RunCommand(sysCommand == kSysUndo ? res::IDC_UNDO : res::IDC_REDO, Notify::Clicked);
    return true;
  }
  for (const SequenceItem& item : kSequenceItems) {
    if (item.sysCommand != sysCommand) continue;
    RunCommand(item.command, Notify::Clicked);
    return true;
  }
  return false;
}

void CZoetrixDlg::SetUpEditAreaMenu() {
  QWidget* area = Control(res::IDC_EDIT_AREA);
  if (!area) return;
  area->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(area, &QWidget::customContextMenuRequested, this, [this, area](const QPoint& at) {
    QMenu* menu = MakeEditAreaMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(area->mapToGlobal(at));
  });
}

// Undo and redo standing for the whole history, then the frame commands,
// then the edit box's own editing items.
QMenu* CZoetrixDlg::MakeEditAreaMenu() {
  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("editAreaMenu"));
  AddFrameCommands(*menu, [this](int id) { RunCommand(id, Notify::Clicked); });
  // The canvas's own items, without its undo and redo: the window's take
  // back its typing first.
  QMenu* own = EditCanvas()->BuildMenu(menu, false);
  menu->addSeparator();
  for (QAction* a : own->actions()) menu->addAction(a);
  return menu;
}

void CZoetrixDlg::AddFrameCommands(QMenu& menu, const std::function<void(int)>& run) const {
  const QString undo = UndoMenuText(), redo = RedoMenuText();
  QAction* a = menu.addAction(undo);
  a->setEnabled(undo != U(res::kUndoNothingMenu));
  connect(a, &QAction::triggered, this, [run] { run(res::IDC_UNDO); });
  a = menu.addAction(redo);
  a->setEnabled(redo != U(res::kRedoNothingMenu));
  connect(a, &QAction::triggered, this, [run] { run(res::IDC_REDO); });
  menu.addSeparator();
  for (const SequenceItem& item : kSequenceItems) {
    const int id = item.command;
    connect(menu.addAction(U(item.menuText)), &QAction::triggered, this, [run, id] { run(id); });
  }
}

void CZoetrixDlg::OnFrameStrip() {
  if (!m_strip) {
    m_strip = new FrameStrip(*this);
    m_strip->PlaceBelow(*this);
  }
  m_strip->FramesChanged();
  m_strip->EditAreaMoved(m_nEditShown);
  m_strip->show();
  m_strip->raise();
  m_strip->activateWindow();
}

void CZoetrixDlg::RunFromStrip(int id, int first, int count) {
  m_stripFirst = first;
  m_stripCount = count;
  RunCommand(id, Notify::Clicked);
  m_stripCount = 0;
}

void CZoetrixDlg::ShowInEditArea(int position) {
  if (position < 0 || position >= m_doc.FrameCount() || position == m_nEditShown) return;
  m_comboEdit->setCurrentIndex(position);
  RunCommand(res::IDC_EDIT_SELECTOR, Notify::SelChange);
}

void CZoetrixDlg::MoveFrames(int first, int count, int to) {
  if (m_doc.m_bCreated == 0) return;
  RunSequenceCommand({SequenceAction::kMoveTo, first, count, to + 1});
}

void CZoetrixDlg::OnSequence(int id) {
  if (!RequireAnimation()) return;
  SequenceCommand command{ActionOf(id), m_nEditShown, 1, 0};
  if (m_stripCount > 0) {
    command.first = m_stripFirst;
    command.count = m_stripCount;
  }
  if (!m_doc.HasFrame(command.first + 1)) {
    ZMessageBox(U(res::kNoSuchFrame));
    return;
  }
  if (!AskSequenceNumber(id, command)) return;
  if (id == res::IDC_SEQ_DELETE && command.count < m_doc.FrameCount() &&
      ZMessageBox(U(res::kDeleteQuestion), MB_OKCANCEL) == IDCANCEL)
    return;
  RunSequenceCommand(command);
}

// The copies, the seconds or the frame number the command needs; false
// when the user cancels.
bool CZoetrixDlg::AskSequenceNumber(int id, SequenceCommand& command) {
  QString caption = U(res::kSeqHoldCaption);
  QString prompt;
  int value = 1, highest = kMaxFrames;
  if (id == res::IDC_SEQ_HOLD) {
    prompt = U(res::kSeqHoldPrompt);
  } else if (id == res::IDC_SEQ_HOLD_SECONDS) {
    prompt = U(res::kSeqHoldSecondsPrompt);
    highest = kMaxDelay;
  } else if (id == res::IDC_SEQ_MOVE_TO) {
    caption = U(res::kSeqMoveCaption);
    // The numbers the block's first frame can take.
    highest = m_doc.FrameCount() - command.count + 1;
    prompt = U(res::kSeqMovePrompt).arg(highest);
    value = command.first + 1;
  } else {
    return true;
  }
  SequenceNumber ask(caption, prompt, value, 1, highest, this);
  if (ask.DoModal() != IDOK) return false;
  command.number = ask.m_nValue;
  if (id == res::IDC_SEQ_HOLD_SECONDS) {
    // As many copies as "添加帧以延时" adds for that delay.
    const long long copies = static_cast<long long>(ask.m_nValue) * m_doc.m_animation.m_nRate;
    command.number = static_cast<int>(std::min<long long>(copies, kMaxFrames + 1LL));
  }
  return true;
}

void CZoetrixDlg::RunSequenceCommand(const SequenceCommand& command) {
  if (!NoteEditText()) return;
  const SequenceOutcome outcome = m_doc.RunSequence(command);
  UpdateStrip();
  switch (outcome) {
    case SequenceOutcome::kDone:
      break;
    case SequenceOutcome::kFrameLimit:
      ZMessageBox(U(res::kFrameLimit).arg(kMaxFrames));
      return;
    case SequenceOutcome::kNoSuchFrame:
      ZMessageBox(U(res::kNoSuchFrame));
      return;
    case SequenceOutcome::kLastFrames:
      ZMessageBox(U(res::kNoFrameToDelete));
      return;
    case SequenceOutcome::kNothing:
      return;
  }
  const document::AreaPositions areas = m_doc.m_areasShown;
  ShowFramesAt(areas, m_doc.TextAt(areas.edit));
  if (m_strip) {
    const auto [first, count] = BlockAfter(command, areas.edit);
    m_strip->Select(first, count);
  }
}

bool CZoetrixDlg::NoteEditText() {
  std::string text;
  if (!EditAreaText(text)) return false;
  NoteShownAreas();
  m_doc.KeepEditTextWithNextStep(m_nEditShown, std::move(text));
  return true;
}

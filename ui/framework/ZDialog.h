#pragma once
// The dialog base: builds its controls from a table, routes their
// notifications to one command handler, exchanges data with members, keeps
// timers by id, and answers Enter, Escape and the close box as a classic
// dialog does.
#include <QDialog>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <vector>

#include "ui/framework/ControlTable.h"
#include "ui/framework/DataExchange.h"
#include "ui/framework/DialogFont.h"

namespace ui {

enum class Notify {
  Clicked,          // a button, or an accelerator key standing for it
  SelChange,        // the user chose another item in a list
  ReleasedCapture,  // the user let go of the slider
};

class AcceleratorTable;

// Window commands of the system menu.
inline constexpr int SC_MINIMIZE = 0xF020;
inline constexpr int SC_MAXIMIZE = 0xF030;
inline constexpr int SC_CLOSE = 0xF060;
inline constexpr int SC_RESTORE = 0xF120;

struct SysMenuEntry {
  int id;  // 0 for a separator
  QString text;
  bool enabled = true;
};

class ZDialog : public QDialog {
  Q_OBJECT
 public:
  explicit ZDialog(const DialogTemplate& tpl, QWidget* parent = nullptr);
  ~ZDialog() override;

  // Creates the window's controls, initialises the dialog and runs it modally.
  int DoModal();
  // The same without the modal run: the window is shown and returns at once.
  void Create();

  QWidget* Control(int id) const { return m_byId.value(id, nullptr); }
  template <class T>
  T* ControlAs(int id) const {
    return qobject_cast<T*>(Control(id));
  }
  const QList<QWidget*>& Controls() const { return m_controls; }
  const DialogUnits& Units() const { return m_units; }

  bool UpdateData(bool saveAndValidate = true);

  // The next copy of members into controls leaves this field, and every
  // input field the exchange reaches after it, as typed (see
  // CDataExchange::FailKeepingText).
  void HoldFrom(int id) { m_holdFrom = id; }
  int HeldFrom() const { return m_holdFrom; }
  // True when the same refusal was already shown during this command.
  bool RepeatsRefusal(const QString& message);
  void SetDlgItemText(int id, const QString& text);
  // The remembered bytes of a multi-line box; null for other controls.
  TextCache* TextCacheOf(const QWidget* w);

  void SetTimer(int id, int milliseconds);
  // A timer that fires once and is then gone, as if killed before its tick.
  void SetTimerOnce(int id, int milliseconds);
  void KillTimer(int id);
  bool HasTimer(int id) const { return m_timers.contains(id); }
  // The interval a running timer was set with; -1 when it is not running.
  int TimerInterval(int id) const { return m_timerIntervals.value(id, -1); }

  void EndDialog(int result);

  // The system menu: window commands, then whatever the dialog appends.
  const std::vector<SysMenuEntry>& SystemMenu() const { return m_sysMenu; }
  void AppendSystemMenu(int id, const QString& text);  // id 0: separator
  // Changes the text and state of the entry with this id (none: nothing).
  void SetSystemMenuItem(int id, const QString& text, bool enabled = true);
  void ShowSystemMenu(const QPoint& globalPos);

  // Accelerator keys tried before the focused control sees the key.
  void SetAccelerators(const AcceleratorTable* table) { m_accel = table; }
  const AcceleratorTable* Accelerators() const { return m_accel; }

  // A command as the user raises it (control, accelerator, key, timer):
  // starts a fresh command, then handles it.
  void RunCommand(int id, Notify notify);
  // Handles a command; overridden by each dialog.
  virtual void OnCommand(int id, Notify notify);
  virtual void OnSysCommand(int id);

  static QString ControlText(const QWidget* w);
  static void SetControlText(QWidget* w, const QString& text);

 protected:
  virtual bool OnInitDialog();
  virtual void DoDataExchange(CDataExchange&) {}
  virtual void OnOK();
  virtual void OnCancel();
  virtual void OnTimer(int) {}
  // Called before the system menu shows, to bring its entries up to date.
  virtual void OnInitSystemMenu() {}

  void keyPressEvent(QKeyEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void reject() override;
  void accept() override;

 private:
  void BuildControls();
  void WidenCheckBoxes();
  QWidget* MakeControl(const ControlEntry& entry);
  void Wire(QWidget* w, int id);
  void FitToScreen(bool centre);
  void AwaitFrame(int checksLeft);

  const DialogTemplate& m_tpl;
  DialogUnits m_units;
  bool m_controlsBuilt = false;
  QList<QWidget*> m_controls;
  QHash<int, QWidget*> m_byId;
  QHash<int, int> m_timers;          // id -> Qt timer id
  QHash<int, int> m_timerIds;        // Qt timer id -> id
  QHash<int, int> m_timerIntervals;  // id -> milliseconds
  QSet<int> m_timersOnce;            // ids that fire once
  std::vector<SysMenuEntry> m_sysMenu;
  const AcceleratorTable* m_accel = nullptr;
  int m_holdFrom = 0;  // 0: nothing held
  QString m_lastRefusal;
  QHash<const QWidget*, TextCache> m_textCaches;
  bool m_placed = false;  // fitted to its screen at its first showing
};

}  // namespace ui

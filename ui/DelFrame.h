#pragma once
#include "ui/framework/ZDialog.h"

// The deletion options. Each "删除" button checks its numbers against the
// frame total and, when they are fine, closes the dialog with the outcome.
class DelFrame : public ui::ZDialog {
  Q_OBJECT
 public:
  static constexpr int kModeNone = -1;
  static constexpr int kModeTail = 0;    // the last m_nFirst frames
  static constexpr int kModeRange = 1;   // the frames between m_nFirst and m_nSecond
  static constexpr int kModeSingle = 2;  // frame m_nFirst

  explicit DelFrame(int total, QWidget* parent = nullptr);
  void OnCommand(int id, ui::Notify notify) override;

  int m_nTailCount = 0;
  int m_nRangeFrom = 0;
  int m_nRangeTo = 0;
  int m_nSingle = 0;
  int m_nMode = kModeNone;
  int m_nFirst = 0;
  int m_nSecond = 0;
  int m_nTotal = 0;

 protected:
  void DoDataExchange(ui::CDataExchange& dx) override;

 private:
  void OnDeleteTail();
  void OnDeleteRange();
  void OnDeleteSingle();
  void Choose(int mode, int first, int second);
};

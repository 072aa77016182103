#include "ui/ZoetrixDlg.h"

#include <QComboBox>
#include <QProgressBar>
#include <QSlider>

#include "document/ColorTable.h"
#include "output/RecoveryCopy.h"
#include "res/Templates.h"
#include "res/Texts.h"
#include "ui/AboutDlg.h"
#include "ui/StartDlg.h"
#include "ui/TipsDlg.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"
#include "ui/framework/Widgets.h"

using namespace ui;

namespace {
constexpr int kSysCommandAbout = 16;
}  // namespace

CZoetrixDlg::CZoetrixDlg(QWidget* parent) : ZDialog(res::kMainDialog, parent) {
  m_hIcon.addFile(QStringLiteral(":/images/app_icon_16.png"));
  m_hIcon.addFile(QStringLiteral(":/images/app_icon_32.png"));
  m_hIcon.addFile(QStringLiteral(":/images/app_icon_48.png"));
  m_hIcon.addFile(QStringLiteral(":/images/app_icon_256.png"));
}

CZoetrixDlg::~CZoetrixDlg() {
  EndRecovery(false);
  if (m_pCodeFile) std::fclose(m_pCodeFile);
}

void CZoetrixDlg::DoDataExchange(CDataExchange& dx) {
  DDX_Control(dx, 1041, m_progress);
  DDX_Control(dx, 1049, m_slider);
  DDX_Control(dx, 1008, m_comboEdit);
  DDX_Control(dx, 1007, m_comboPreview);
  DDX_Control(dx, 1021, m_comboCharColor);
  DDX_Control(dx, 1020, m_comboBackColor);
  DDX_Text(dx, 1002, m_nHigh);
  DDV_MinMaxInt(dx, m_nHigh, kMinCanvas, kMaxCanvas);
  DDX_Text(dx, 1003, m_nWide);
  DDV_MinMaxInt(dx, m_nWide, kMinCanvas, kMaxCanvas);
  DDX_Text(dx, 1004, m_nFrameRate);
  DDV_MinMaxInt(dx, m_nFrameRate, kMinFrameRate, kMaxFrameRate);
  DDX_Text(dx, 1019, m_strName);
  DDX_Text(dx, 1010, m_strEditText);
  DDX_Text(dx, 1024, m_nEditFrame);
  DDX_Text(dx, 1026, m_nPreviewFrame);
  DDX_Text(dx, 1009, m_strPreviewText);
  DDX_Text(dx, 1042, m_strFrameTotal);
  DDX_Check(dx, 1057, m_bLoop);
  DDX_Check(dx, 1058, m_bOverwrite);
  DDX_Text(dx, 1063, m_nDelay);
  DDV_MinMaxInt(dx, m_nDelay, kMinDelay, kMaxDelay);
  DDX_Text(dx, 1064, m_strDuration);
  DDX_Check(dx, 1035, m_bSaveCode);
  DDX_Check(dx, 1037, m_bCompile);
  DDX_Check(dx, 1055, m_bSaveProject);
  DDX_Check(dx, 1067, m_bEndless);
  DDX_Check(dx, 1070, m_bAppend);
}

bool CZoetrixDlg::OnInitDialog() {
  ZDialog::OnInitDialog();
  AppendSystemMenu(0, {});
  AppendSystemMenu(kSysCommandAbout, U(res::kAboutMenuText));
  AppendShareMenu();
  setWindowIcon(m_hIcon);

  {
    start splash(this);
    splash.DoModal();
  }
  SetTimer(kTimerStartupTips, 1);
  m_bCreated = 0;
  FillColorLists();
  m_frames.Clear();
  m_hAccel = &res::kMainAccelerators;
  SetAccelerators(m_hAccel);
  CaptureLayout();
  StartRecovery();
  return true;
}

void CZoetrixDlg::FillColorLists() {
  QStringList names;
  for (const char* name : g_colorTable) names << U(name);
  m_comboBackColor->addItems(names);
  m_comboCharColor->addItems(names);
  m_comboBackColor->setCurrentIndex(0);
  m_comboCharColor->setCurrentIndex(7);

  // The frame selectors make their items on demand.
  m_previewItems = new FrameItemsModel(this);
  m_editItems = new FrameItemsModel(this);
  m_comboPreview->setModel(m_previewItems);
  m_comboEdit->setModel(m_editItems);
}

void CZoetrixDlg::CaptureLayout() {
  m_layout.clear();
  m_layout.append(QRect(mapToGlobal(QPoint(0, 0)), size()));
  for (QWidget* w : Controls()) m_layout.append(QRect(w->mapToGlobal(QPoint(0, 0)), w->size()));
}

void CZoetrixDlg::OnTimer(int id) {
  if (id == kTimerStartupTips) {
    KillTimer(kTimerStartupTips);
    // Unsaved work first: a copy taken over is then only replaced by the
    // project asked for after the usual question.
    OfferRecoveryCopy();
    OpenStartProject();
    Tips tips(this);
    tips.DoModal();
  } else if (id == kTimerPlayback) {
    OnPlaybackTick();
  } else if (id == kTimerRecovery) {
    SaveRecoveryCopy();
  }
}

void CZoetrixDlg::OnCancel() {
  QString question = U(res::kExitQuestion);
  if (m_bCreated == 1) question += U(res::kExitSuffix);
  if (ZMessageBox(question, MB_OKCANCEL) == IDCANCEL) return;
  // Ended with the user's consent: no copy is kept for the next start.
  EndRecovery(true);
  ZDialog::OnCancel();
}

void CZoetrixDlg::OnSysCommand(int id) {
  if ((id & 0xFFF0) == kSysCommandAbout) {
    OnAbout();
    return;
  }
  if (OnShareCommand(id & 0xFFF0)) return;
  ZDialog::OnSysCommand(id);
}

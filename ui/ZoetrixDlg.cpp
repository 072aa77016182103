#include "ui/ZoetrixDlg.h"
#include "res/ControlIds.h"

#include <QComboBox>
#include <QProgressBar>
#include <QSlider>

#include "document/ColorTable.h"
#include "platform/ProgramFolder.h"
#include "program/CodeFile.h"
#include "project/RecoveryCopy.h"
#include "res/Templates.h"
#include "res/Texts.h"
#include "ui/CAboutDlg.h"
#include "ui/FrameItemsModel.h"
#include "ui/Tips.h"
#include "ui/framework/Accelerators.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/JobRunner.h"
#include "ui/framework/MessageBox.h"
#include "ui/framework/Widgets.h"
#include "ui/start.h"

using document::g_colorTable;
using document::kMaxCanvas;
using document::kMaxDelay;
using document::kMaxFrameRate;
using document::kMinCanvas;
using document::kMinDelay;
using document::kMinFrameRate;

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
  // A code file never exported holds only the prologue and cannot compile.
  if (m_doc.m_bCreated == 1) output::DiscardCodeStub(m_doc.m_export, m_doc.m_animation);
}

void CZoetrixDlg::DoDataExchange(CDataExchange& dx) {
  DDX_Control(dx, res::IDC_PROGRESS, m_progress);
  DDX_Control(dx, res::IDC_SLIDER, m_slider);
  DDX_Control(dx, res::IDC_EDIT_SELECTOR, m_comboEdit);
  DDX_Control(dx, res::IDC_PREVIEW_SELECTOR, m_comboPreview);
  DDX_Control(dx, res::IDC_CHAR_COLOR, m_comboCharColor);
  DDX_Control(dx, res::IDC_BACK_COLOR, m_comboBackColor);
  DDX_Text(dx, res::IDC_HIGH, m_doc.m_nHigh);
  DDV_MinMaxInt(dx, m_doc.m_nHigh, kMinCanvas, kMaxCanvas);
  DDX_Text(dx, res::IDC_WIDE, m_doc.m_nWide);
  DDV_MinMaxInt(dx, m_doc.m_nWide, kMinCanvas, kMaxCanvas);
  DDX_Text(dx, res::IDC_FRAME_RATE, m_doc.m_nFrameRate);
  DDV_MinMaxInt(dx, m_doc.m_nFrameRate, kMinFrameRate, kMaxFrameRate);
  DDX_Text(dx, res::IDC_NAME, m_doc.m_strName);
  DDX_Text(dx, res::IDC_EDIT_AREA, m_doc.m_strEditText);
  DDX_Text(dx, res::IDC_EDIT_FRAME, m_doc.m_nEditFrame);
  DDX_Text(dx, res::IDC_PREVIEW_FRAME, m_doc.m_nPreviewFrame);
  DDX_Text(dx, res::IDC_PREVIEW_AREA, m_doc.m_strPreviewText);
  DDX_Text(dx, res::IDC_FRAME_TOTAL, m_doc.m_strFrameTotal);
  DDX_Check(dx, res::IDC_LOOP, m_doc.m_bLoop);
  DDX_Check(dx, res::IDC_OVERWRITE, m_doc.m_bOverwrite);
  DDX_Text(dx, res::IDC_DELAY, m_doc.m_nDelay);
  DDV_MinMaxInt(dx, m_doc.m_nDelay, kMinDelay, kMaxDelay);
  DDX_Text(dx, res::IDC_DURATION, m_doc.m_strDuration);
  DDX_Check(dx, res::IDC_SAVE_CODE, m_doc.m_bSaveCode);
  DDX_Check(dx, res::IDC_COMPILE, m_doc.m_bCompile);
  DDX_Check(dx, res::IDC_SAVE_PROJECT, m_doc.m_bSaveProject);
  DDX_Check(dx, res::IDC_ENDLESS, m_doc.m_bEndless);
  DDX_Check(dx, res::IDC_APPEND, m_doc.m_bAppend);
  if (!dx.m_bSaveAndValidate) UpdateCanvasLook();
}

bool CZoetrixDlg::OnInitDialog() {
  ZDialog::OnInitDialog();
  AppendSequenceMenu();
  AppendSystemMenu(0, {});
  AppendSystemMenu(kSysCommandAbout, U(res::kAboutMenuText));
  AppendShareMenu();
  setWindowIcon(m_hIcon);

  {
    start splash(this);
    splash.DoModal();
  }
  SetTimer(kTimerStartupTips, 1);
  m_doc.m_bCreated = 0;
  FillColorLists();
  m_doc.m_animation.m_frames.Clear();
  static const AcceleratorTable accelerators(res::kMainAccelerators);
  m_hAccel = &accelerators;
  SetAccelerators(m_hAccel);
  SetUpEditAreaMenu();
  CaptureLayout();
  m_settings = document::Settings::Read(platform::WorkFolder());
  SetUpCanvases();
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
  } else if (JobRunning()) {
    // A job works on the export's files: playing and copies wait for it.
    return;
  } else if (id == kTimerPlayback) {
    OnPlaybackTick();
  } else if (id == kTimerRecovery) {
    SaveRecoveryCopy();
  }
}

void CZoetrixDlg::OnCancel() {
  // Closed by the window manager while a job starts up: the job ends first.
  if (JobRunning()) return;
  QString question = U(res::kExitQuestion);
  if (m_doc.m_bCreated == 1) question += U(res::kExitSuffix);
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
  if (OnSequenceSysCommand(id & 0xFFF0)) return;
  ZDialog::OnSysCommand(id);
}

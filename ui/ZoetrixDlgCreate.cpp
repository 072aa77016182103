// "新建": the fields become the current animation, with a fresh code file
// holding the program's prologue.
#include <QComboBox>

#include "document/AnimationFiles.h"
#include "output/CodeFile.h"
#include "output/ProgramWriter.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "res/Texts.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using namespace ui;

namespace {

constexpr int kMinCreateCanvas = 11;

bool ValuesInRange(const AnimationDocument& d) {
  return d.m_nFrameRate >= kMinFrameRate && d.m_nFrameRate <= kMaxFrameRate &&
         d.m_nWide >= kMinCreateCanvas && d.m_nWide <= kMaxCanvas &&
         d.m_nHigh >= kMinCreateCanvas && d.m_nHigh <= kMaxCanvas;
}

}  // namespace

void CZoetrixDlg::OnCreateAnimation() {
  UpdateData(true);
  const bool existed = m_bCreated == 1;
  if (existed && m_bOverwrite == 1 &&
      ZMessageBox(U("你确定要新建一个动画吗？\n你勾选了\"覆盖当前动画\"\n"
                    "请确定现在的动画已经保存，否则现在的动画将会消失。点击取消来取消新建任务。"),
                  MB_OKCANCEL) == IDCANCEL)
    return;
  if (!ValuesInRange(*this)) {
    ZMessageBox(U("创建失败！数值越界！"));
    return;
  }
  // The code is made now for the prologue; a colour without a selection is
  // reported once the code file is open and named in the status line.
  int badColors = 0;
  const std::string colorCode = MakeColorCode(
      m_comboBackColor->currentIndex(), m_comboCharColor->currentIndex(), [&] { ++badColors; });
  const ProgramHeader header{platform::Now(), m_strName, m_nWide, m_nHigh, colorCode};
  AnimationPaths paths;
  if (!StartCodeFile(header, &paths)) return;

  m_strProjectPath = paths.project;
  m_strExePath = paths.exe;
  m_strBuildPath = paths.build;
  m_strCodePath = paths.code;
  m_createdAt = header.created;
  SetDlgItemText(1011, U(res::kStatusEditing) + QString::fromStdString(m_strCodePath));
  // Saved under a new name from now on: no longer the project opened.
  ShowProjectInTitle({});
  for (int i = 0; i < badColors; ++i) ZMessageBox(U("动画颜色信息导入错误！"));
  m_nBackColor = m_comboBackColor->currentIndex();
  m_nCharColor = m_comboCharColor->currentIndex();
  m_strColor = colorCode;
  m_bCreated = 1;
  ZMessageBox(U("创建完毕"));
  m_nRate = m_nFrameRate;
  const bool fresh = m_bOverwrite == 1 || !existed;
  if (fresh) {
    m_frames.Clear();
    m_nFrames = 0;
    OnAppendBlankFrame();
  }
  KillTimer(kTimerPlayback);
  m_nAnimWide = m_nWide;
  m_nAnimHigh = m_nHigh;
  m_strAnimName = m_strName;
  UpdateData(false);
  // A new blank animation holds nothing to recover; kept frames do.
  if (fresh) MarkRecoverySaved();
}

// Starts the code file of a new animation. When that fails the user is told
// and the open animation is left as it was.
bool CZoetrixDlg::StartCodeFile(const ProgramHeader& header, AnimationPaths* paths) {
  const std::string problem = ::StartCodeFile(*this, platform::WorkFolder(), header, paths);
  if (!problem.empty()) ZMessageBox(QString::fromStdString(problem));
  return problem.empty();
}

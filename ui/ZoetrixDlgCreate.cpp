// "新建": the fields become the current animation, with a fresh code file
// holding the program's prologue.
#include <QComboBox>
#include <cstdio>
#include <filesystem>

#include "document/AnimationFiles.h"
#include "output/ProgramWriter.h"
#include "platform/Clock.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using namespace ui;

namespace {

constexpr int kTimerPlayback = 0;
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
  const platform::LocalTime now = platform::Now();
  const AnimationPaths paths = MakeAnimationPaths(GetProgramFolder(), MakeCreationStamp(now));
  const std::string colorCode =
      MakeColorCode(m_comboBackColor->currentIndex(), m_comboCharColor->currentIndex(),
                    [] { ZMessageBox(U("动画颜色信息导入错误！")); });
  ProgramHeader header{now, m_strName, m_nWide, m_nHigh, colorCode};
  if (!OpenCodeFile(paths.code, header)) return;

  m_strProjectPath = paths.project;
  m_strExePath = paths.exe;
  m_strBuildPath = paths.build;
  m_strCodePath = paths.code;
  m_created = now;
  SetDlgItemText(1011, U("【↓动画制作区域↓】当前编辑：") + QString::fromStdString(m_strCodePath));
  m_nBackColor = m_comboBackColor->currentIndex();
  m_nCharColor = m_comboCharColor->currentIndex();
  m_strColor = colorCode;
  m_bCreated = 1;
  ZMessageBox(U("创建完毕"));
  m_nRate = m_nFrameRate;
  if (m_bOverwrite == 1 || !existed) {
    m_frames.Clear();
    m_nFrames = 0;
    OnAppendBlankFrame();
  }
  KillTimer(kTimerPlayback);
  m_nAnimWide = m_nWide;
  m_nAnimHigh = m_nHigh;
  m_strAnimName = m_strName;
  UpdateData(false);
}

// Creates the code file with its prologue and makes it the open one. When
// that fails the user is told and the open animation is left as it was.
bool CZoetrixDlg::OpenCodeFile(const std::string& path, const ProgramHeader& header) {
  // The same name (two creations within one second) is the same file: let
  // go of it before it is emptied.
  if (m_pCodeFile && path == m_strCodePath) {
    std::fclose(m_pCodeFile);
    m_pCodeFile = nullptr;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb+");
  if (file && !WriteProgramPrologue(file, header)) {
    std::fclose(file);
    file = nullptr;
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }
  if (!file) {
    ZMessageBox(U("无法创建代码文件：\n") + QString::fromStdString(path) +
                U("\n请确认程序目录下的 Code 文件夹存在并且可以写入。"));
    return false;
  }
  // The earlier code file keeps what it holds; it is only closed.
  if (m_pCodeFile) std::fclose(m_pCodeFile);
  m_pCodeFile = file;
  return true;
}

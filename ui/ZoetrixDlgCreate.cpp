// "新建": the fields become the current animation, with a fresh code file
// holding the program's prologue.
#include <QComboBox>

#include "document/AnimationFiles.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "program/CodeFile.h"
#include "program/ProgramWriter.h"
#include "res/ControlIds.h"
#include "res/Texts.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using document::AnimationPaths;

using output::MakeColorCode;

using namespace ui;

void CZoetrixDlg::OnCreateAnimation() {
  UpdateData(true);
  const bool existed = m_doc.m_bCreated == 1;
  // What was drawn before any animation existed becomes its first frame.
  const std::string drawn = existed ? std::string() : m_doc.m_strEditText;
  if (existed && m_doc.m_bOverwrite == 1 &&
      ZMessageBox(U(res::kCreateOverwriteQuestion), MB_OKCANCEL) == IDCANCEL)
    return;
  if (!m_doc.CreationValuesInRange()) {
    ZMessageBox(U(res::kCreateOutOfRange));
    return;
  }
  // The code is made now for the prologue; a colour without a selection is
  // reported once the code file is open and named in the status line.
  int badColors = 0;
  const int back = m_comboBackColor->currentIndex();
  const int character = m_comboCharColor->currentIndex();
  const std::string colorCode = MakeColorCode(back, character, [&] { ++badColors; });
  const platform::LocalTime created = platform::Now();
  AnimationPaths paths;
  if (!StartCodeFile(m_doc.FieldsAnimation(colorCode), created, &paths)) return;

  m_doc.TakeCreation(paths, created, back, character, colorCode);
  SetDlgItemText(res::IDC_EDITING_STATUS,
                 U(res::kStatusEditing) + QString::fromStdString(m_doc.m_export.m_strCodePath));
  // Saved under a new name from now on: no longer the project opened.
  ShowProjectInTitle({});
  for (int i = 0; i < badColors; ++i) ZMessageBox(U(res::kColorImportError));
  ZMessageBox(U(res::kCreated));
  const bool fresh = m_doc.CreationRestartsFrames(existed);
  if (fresh) {
    m_doc.RestartFrames();
    OnAppendBlankFrame();
    if (!drawn.empty()) {
      m_doc.StoreEditText(0, drawn);
      m_doc.m_strEditText = drawn;
    }
    m_doc.m_history.Clear();  // the first frame is part of the new animation
  }
  KillTimer(kTimerPlayback);
  UpdateData(false);
  // A new blank animation holds nothing to recover; kept frames and a
  // picture drawn before it do.
  if (fresh && drawn.empty()) MarkRecoverySaved();
}

// Starts the code file of a new animation. When that fails the user is told
// and the open animation is left as it was.
bool CZoetrixDlg::StartCodeFile(const document::Animation& animation,
                                const platform::LocalTime& created, AnimationPaths* paths) {
  const std::string problem =
      output::StartCodeFile(m_doc, platform::WorkFolder(), animation, created, paths);
  if (!problem.empty()) ZMessageBox(QString::fromStdString(problem));
  return problem.empty();
}

// The two canvases: the edit area draws, the preview shows. Both take the
// animation's size and colours (before "新建", the fields'), the edit area
// the frames around it, faintly, and the canvas choices from the settings.
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>

#include "document/CanvasReach.h"
#include "document/Screen.h"
#include "platform/ProgramFolder.h"
#include "program/ProgramWriter.h"
#include "res/ControlIds.h"
#include "res/Texts.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/CharCanvas.h"
#include "ui/framework/FileDialog.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

using document::kMaxCanvas;
using document::kMinCanvas;
using document::Settings;

using namespace ui;

CharCanvas* CZoetrixDlg::EditCanvas() const { return ControlAs<CharCanvas>(res::IDC_EDIT_AREA); }

CharCanvas* CZoetrixDlg::PreviewCanvas() const {
  return ControlAs<CharCanvas>(res::IDC_PREVIEW_AREA);
}

void CZoetrixDlg::SetUpCanvases() {
  CharCanvas* edit = EditCanvas();
  const document::Settings::CanvasChoices& choices = m_settings.Canvas();
  edit->SetInsertMode(choices.insert);
  edit->SetOnionShown(choices.onion);
  connect(edit, &CharCanvas::InsertModeChanged, this, [this](bool insert) {
    auto choices = m_settings.Canvas();
    choices.insert = insert;
    m_settings.SaveCanvas(platform::WorkFolder(), choices);
  });
  connect(edit, &CharCanvas::TraceChanged, this, [this] { SaveTrace(); });
  connect(edit, &CharCanvas::TraceChooseRequested, this, [this] { ChooseTrace(); });
  connect(edit, &CharCanvas::OnionShownChanged, this, [this](bool shown) {
    auto choices = m_settings.Canvas();
    choices.onion = shown;
    m_settings.SaveCanvas(platform::WorkFolder(), choices);
  });
  // Before any animation exists the canvas follows the fields as they are
  // typed and chosen.
  for (int id : {res::IDC_WIDE, res::IDC_HIGH})
    if (auto* field = ControlAs<QLineEdit>(id))
      connect(field, &QLineEdit::textChanged, this, [this] { UpdateCanvasLook(); });
  for (QComboBox* colors : {m_comboBackColor, m_comboCharColor})
    connect(colors, &QComboBox::currentIndexChanged, this, [this] { UpdateCanvasLook(); });
  UpdateCanvasLook();
}

void CZoetrixDlg::UpdateCanvasLook() {
  CharCanvas* edit = EditCanvas();
  CharCanvas* preview = PreviewCanvas();
  if (!edit || !preview) return;
  int wide = m_doc.m_animation.m_nAnimWide, high = m_doc.m_animation.m_nAnimHigh;
  std::string code = m_doc.m_animation.m_strColor;
  if (m_doc.m_bCreated == 0) {
    bool ok = false;
    const int w = ControlText(Control(res::IDC_WIDE)).toInt(&ok);
    wide = ok && w >= kMinCanvas && w <= kMaxCanvas ? w : edit->CanvasWide();
    const int h = ControlText(Control(res::IDC_HIGH)).toInt(&ok);
    high = ok && h >= kMinCanvas && h <= kMaxCanvas ? h : edit->CanvasHigh();
    code = output::MakeColorCode(m_comboBackColor->currentIndex(), m_comboCharColor->currentIndex(),
                                 [] {});
  }
  const document::ConsoleColors colors = document::ShownColors(code);
  for (CharCanvas* canvas : {edit, preview}) {
    canvas->SetCanvasSize(wide, high);
    canvas->SetColors(document::kConsoleRgb[static_cast<std::size_t>(colors.back & 15)],
                      document::kConsoleRgb[static_cast<std::size_t>(colors.fore & 15)]);
  }
  edit->SetFrameNumber(m_nEditShown + 1);
  // The frames around the one being drawn, nearest first.
  const auto& choices = m_settings.Canvas();
  std::vector<std::string> before, after;
  if (edit->OnionShown() && m_nEditShown >= 0) {
    for (int i = 1; i <= choices.onionFrames; ++i) {
      if (m_doc.HasFrame(m_nEditShown + 1 - i)) before.push_back(m_doc.TextAt(m_nEditShown - i));
      if (choices.onionAfter && m_doc.HasFrame(m_nEditShown + 1 + i))
        after.push_back(m_doc.TextAt(m_nEditShown + i));
    }
  }
  edit->SetOnionFrames(before, after);
  if (TraceKey() != m_traceKey) LoadTrace();
  if (!m_canvasNote.isEmpty()) edit->SetNote(m_canvasNote);
  m_canvasNote.clear();
}

// After an export: which frames hold text beyond the canvas, and what the
// formats do with it, in the edit area's line.
void CZoetrixDlg::NoteFramesBeyondCanvas() {
  const std::string note =
      document::FramesBeyondNote(document::FramesBeyondCanvas(m_doc.m_animation));
  if (!note.empty()) EditCanvas()->SetNote(QString::fromStdString(note));
}

// A frame stored with text beyond the canvas is named in the edit area's
// line, whatever the edit area shows next.
void CZoetrixDlg::NoteStoredFrame(int position) {
  if (m_doc.m_bCreated == 0 || !m_doc.HasFrame(position + 1)) return;
  const auto& a = m_doc.m_animation;
  const std::string& text = m_doc.TextAt(position);
  if (document::FitsCanvas(text, a.m_nAnimWide, a.m_nAnimHigh)) return;
  const document::TextReach reach = document::ReachOf(text);
  m_canvasNote = U("第%1帧有超出画布的内容（到第%2列、第%3行）")
                     .arg(position + 1)
                     .arg(reach.cols)
                     .arg(reach.rows);
}

// The project file name the traced picture is kept under: the file opened,
// or the project a new animation will be saved as.
std::string CZoetrixDlg::TraceKey() const {
  if (m_doc.m_bCreated == 0) return {};
  if (!m_titleProject.empty()) return m_titleProject.filename().string();
  return std::filesystem::path(m_doc.m_export.m_strProjectPath).filename().string();
}

void CZoetrixDlg::LoadTrace() {
  m_traceKey = TraceKey();
  const Settings::TraceChoice choice = Settings::TraceFor(platform::WorkFolder(), m_traceKey);
  m_tracePath = choice.path;
  CharCanvas::Trace trace;
  if (!choice.path.empty()) trace.image = QImage(QFile::decodeName(choice.path.c_str()));
  trace.shown = choice.shown;
  trace.opacity = choice.opacity;
  trace.scale = choice.scale;
  trace.dx = choice.dx;
  trace.dy = choice.dy;
  EditCanvas()->SetTrace(trace);
}

void CZoetrixDlg::SaveTrace() {
  if (m_traceKey.empty() || m_tracePath.empty()) return;
  const CharCanvas::Trace& t = EditCanvas()->CurrentTrace();
  Settings::SaveTrace(platform::WorkFolder(), m_traceKey,
                      {m_tracePath, t.shown, t.opacity, t.scale, t.dx, t.dy});
}

void CZoetrixDlg::ChooseTrace() {
  if (m_doc.m_bCreated == 0) {
    ZMessageBox(U(res::kNoAnimation));
    return;
  }
  const QString chosen = GetOpenFileName(this, U(res::kTraceFilter), QStringLiteral("png"));
  if (chosen.isEmpty()) return;
  const QImage image(chosen);
  if (image.isNull()) {
    ZMessageBox(U(res::kTraceUnreadable).arg(chosen));
    return;
  }
  if (TraceKey() != m_traceKey) LoadTrace();
  m_tracePath = QFile::encodeName(chosen).toStdString();
  CharCanvas::Trace trace = EditCanvas()->CurrentTrace();
  trace.image = image;
  trace.shown = true;
  EditCanvas()->SetTrace(trace);
  SaveTrace();
}

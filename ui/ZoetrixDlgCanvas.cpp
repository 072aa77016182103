// The two canvases: the edit area draws, the preview shows. Both take the
// animation's size and colours (before "新建", the fields'), the edit area
// the frames around it, faintly, and the canvas choices from the settings.
#include <QComboBox>
#include <QLineEdit>

#include "document/CanvasReach.h"
#include "document/Screen.h"
#include "platform/ProgramFolder.h"
#include "program/ProgramWriter.h"
#include "res/ControlIds.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/CharCanvas.h"
#include "ui/framework/GbkText.h"

using document::kMaxCanvas;
using document::kMinCanvas;

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

// The main window's command routing: one table from control id and event
// to handler. Accelerator keys raise the same ids as their buttons.
#include <iterator>

#include "res/ControlIds.h"
#include "ui/ZoetrixDlg.h"

namespace {

using ui::Notify;

struct Route {
  int id;
  Notify notify;
  void (CZoetrixDlg::*handler)();
  void (CZoetrixDlg::*handlerWithId)(int);
};

const Route kRoutes[] = {
    {res::IDC_HELP, Notify::Clicked, &CZoetrixDlg::OnHelp, nullptr},
    {res::IDC_ABOUT, Notify::Clicked, &CZoetrixDlg::OnAbout, nullptr},
    {res::IDC_WEBSITE, Notify::Clicked, &CZoetrixDlg::OnWebsite, nullptr},
    {res::IDC_CREATE, Notify::Clicked, &CZoetrixDlg::OnCreateAnimation, nullptr},
    {res::IDC_PREVIEW_SELECTOR, Notify::SelChange, &CZoetrixDlg::OnPreviewSelChange, nullptr},
    {res::IDC_EDIT_SELECTOR, Notify::SelChange, &CZoetrixDlg::OnEditSelChange, nullptr},
    {res::IDC_APPEND_BLANK, Notify::Clicked, &CZoetrixDlg::OnAppendBlankFrame, nullptr},
    {res::IDC_DELETE_LAST, Notify::Clicked, &CZoetrixDlg::OnDeleteLastFrame, nullptr},
    {res::IDC_SAVE_FRAME, Notify::Clicked, &CZoetrixDlg::OnSaveFrame, nullptr},
    {res::IDC_OPEN_SETTINGS_FOLDER, Notify::Clicked, &CZoetrixDlg::OnOpenSettingsFolder, nullptr},
    {res::IDC_EDIT_GO, Notify::Clicked, &CZoetrixDlg::ShowEditFrame, nullptr},
    {res::IDC_PREVIEW_GO, Notify::Clicked, &CZoetrixDlg::ShowPreviewFrame, nullptr},
    {res::IDC_SETTINGS, Notify::Clicked, &CZoetrixDlg::OnSettings, nullptr},
    {res::IDC_ADD_KEY_FRAME, Notify::Clicked, &CZoetrixDlg::OnAddKeyFrame, nullptr},
    {res::IDC_PLAY_FROM_START, Notify::Clicked, &CZoetrixDlg::OnPlayFromStart, nullptr},
    {res::IDC_PLAY_FROM_CURRENT, Notify::Clicked, &CZoetrixDlg::OnPlayFromCurrent, nullptr},
    {res::IDC_PAUSE, Notify::Clicked, &CZoetrixDlg::OnPause, nullptr},
    {res::IDC_FILL_SECOND, Notify::Clicked, &CZoetrixDlg::OnFillSecond, nullptr},
    {res::IDC_FILL_HALF_SECOND, Notify::Clicked, &CZoetrixDlg::OnFillHalfSecond, nullptr},
    {res::IDC_SLIDER, Notify::ReleasedCapture, &CZoetrixDlg::OnSliderReleased, nullptr},
    {res::IDC_OPEN_FOLDERS, Notify::Clicked, &CZoetrixDlg::OnOpenFolders, nullptr},
    {res::IDC_EXPORT, Notify::Clicked, &CZoetrixDlg::OnExport, nullptr},
    {res::IDC_ADD_DELAY, Notify::Clicked, &CZoetrixDlg::OnAddDelayFrames, nullptr},
    {res::IDC_RELEASE_CODE, Notify::Clicked, &CZoetrixDlg::OnReleaseCodeFile, nullptr},
    {res::IDC_OPEN_PROJECT, Notify::Clicked, &CZoetrixDlg::OnOpenProject, nullptr},
    {res::IDC_PROPERTIES, Notify::Clicked, &CZoetrixDlg::OnShowProperties, nullptr},
    {res::IDC_DELETE_OPTIONS, Notify::Clicked, &CZoetrixDlg::OnDeleteOptions, nullptr},
    {res::IDC_PREVIEW_PREV, Notify::Clicked, &CZoetrixDlg::OnPreviewPrev, nullptr},
    {res::IDC_PREVIEW_NEXT, Notify::Clicked, &CZoetrixDlg::OnPreviewNext, nullptr},
    {res::IDC_EDIT_PREV, Notify::Clicked, &CZoetrixDlg::OnEditPrev, nullptr},
    {res::IDC_EDIT_NEXT, Notify::Clicked, &CZoetrixDlg::OnEditNext, nullptr},
    {res::IDC_EXPLAIN_KEY_FRAME, Notify::Clicked, nullptr, &CZoetrixDlg::OnExplain},
    {res::IDC_EXPLAIN_FILL_SECOND, Notify::Clicked, nullptr, &CZoetrixDlg::OnExplain},
    {res::IDC_EXPLAIN_FILL_HALF_SECOND, Notify::Clicked, nullptr, &CZoetrixDlg::OnExplain},
    {res::IDC_EXPLAIN_OVERWRITE, Notify::Clicked, nullptr, &CZoetrixDlg::OnExplain},
    {res::IDC_EXPLAIN_DELAY, Notify::Clicked, nullptr, &CZoetrixDlg::OnExplain},
    {res::IDC_EXPLAIN_APPEND, Notify::Clicked, nullptr, &CZoetrixDlg::OnExplain},
    {res::IDC_SEQ_INSERT_BLANK, Notify::Clicked, nullptr, &CZoetrixDlg::OnSequence},
    {res::IDC_SEQ_DUPLICATE, Notify::Clicked, nullptr, &CZoetrixDlg::OnSequence},
    {res::IDC_SEQ_MOVE_EARLIER, Notify::Clicked, nullptr, &CZoetrixDlg::OnSequence},
    {res::IDC_SEQ_MOVE_LATER, Notify::Clicked, nullptr, &CZoetrixDlg::OnSequence},
    {res::IDC_SEQ_MOVE_TO, Notify::Clicked, nullptr, &CZoetrixDlg::OnSequence},
    {res::IDC_SEQ_HOLD, Notify::Clicked, nullptr, &CZoetrixDlg::OnSequence},
    {res::IDC_SEQ_HOLD_SECONDS, Notify::Clicked, nullptr, &CZoetrixDlg::OnSequence},
    {res::IDC_SEQ_DELETE, Notify::Clicked, nullptr, &CZoetrixDlg::OnSequence},
    {res::IDC_FRAME_STRIP, Notify::Clicked, &CZoetrixDlg::OnFrameStrip, nullptr},
    {res::IDC_UNDO, Notify::Clicked, &CZoetrixDlg::OnUndo, nullptr},
    {res::IDC_REDO, Notify::Clicked, &CZoetrixDlg::OnRedo, nullptr},
};

}  // namespace

void CZoetrixDlg::OnCommand(int id, Notify notify) {
  // Exit: the dialog's own cancel (button, Escape, close box, Alt+F4).
  if (id == res::IDC_EXIT && notify == Notify::Clicked) {
    OnCancel();
    return;
  }
  for (const Route& r : kRoutes) {
    if (r.id != id || r.notify != notify) continue;
    if (r.handler) (this->*r.handler)();
    if (r.handlerWithId) (this->*r.handlerWithId)(id);
    return;
  }
}

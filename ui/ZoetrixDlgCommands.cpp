// The main window's command routing: one table from control id and event
// to handler. Accelerator keys raise the same ids as their buttons.
#include <iterator>

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
    {ui::IDOK, Notify::Clicked, &CZoetrixDlg::OnHelp, nullptr},
    {1000, Notify::Clicked, &CZoetrixDlg::OnAbout, nullptr},
    {1006, Notify::Clicked, &CZoetrixDlg::OnWebsite, nullptr},
    {1005, Notify::Clicked, &CZoetrixDlg::OnCreateAnimation, nullptr},
    {1007, Notify::SelChange, &CZoetrixDlg::OnPreviewSelChange, nullptr},
    {1008, Notify::SelChange, &CZoetrixDlg::OnEditSelChange, nullptr},
    {1012, Notify::Clicked, &CZoetrixDlg::OnAppendBlankFrame, nullptr},
    {1013, Notify::Clicked, &CZoetrixDlg::OnDeleteLastFrame, nullptr},
    {1022, Notify::Clicked, &CZoetrixDlg::OnSaveFrame, nullptr},
    {1023, Notify::Clicked, &CZoetrixDlg::OnOpenSettingsFolder, nullptr},
    {1025, Notify::Clicked, &CZoetrixDlg::ShowEditFrame, nullptr},
    {1027, Notify::Clicked, &CZoetrixDlg::ShowPreviewFrame, nullptr},
    {1028, Notify::Clicked, &CZoetrixDlg::OnSettings, nullptr},
    {1036, Notify::Clicked, &CZoetrixDlg::OnAddKeyFrame, nullptr},
    {1038, Notify::Clicked, &CZoetrixDlg::OnPlayFromStart, nullptr},
    {1039, Notify::Clicked, &CZoetrixDlg::OnPlayFromCurrent, nullptr},
    {1040, Notify::Clicked, &CZoetrixDlg::OnPause, nullptr},
    {1044, Notify::Clicked, &CZoetrixDlg::OnFillSecond, nullptr},
    {1045, Notify::Clicked, &CZoetrixDlg::OnFillHalfSecond, nullptr},
    {1049, Notify::ReleasedCapture, &CZoetrixDlg::OnSliderReleased, nullptr},
    {1053, Notify::Clicked, &CZoetrixDlg::OnOpenFolders, nullptr},
    {1054, Notify::Clicked, &CZoetrixDlg::OnExport, nullptr},
    {1061, Notify::Clicked, &CZoetrixDlg::OnAddDelayFrames, nullptr},
    {1066, Notify::Clicked, &CZoetrixDlg::OnReleaseCodeFile, nullptr},
    {1069, Notify::Clicked, &CZoetrixDlg::OnOpenProject, nullptr},
    {1072, Notify::Clicked, &CZoetrixDlg::OnShowProperties, nullptr},
    {1073, Notify::Clicked, &CZoetrixDlg::OnDeleteOptions, nullptr},
    {1081, Notify::Clicked, &CZoetrixDlg::OnPreviewPrev, nullptr},
    {1082, Notify::Clicked, &CZoetrixDlg::OnPreviewNext, nullptr},
    {1085, Notify::Clicked, &CZoetrixDlg::OnEditPrev, nullptr},
    {1086, Notify::Clicked, &CZoetrixDlg::OnEditNext, nullptr},
    {1043, Notify::Clicked, nullptr, &CZoetrixDlg::OnExplain},
    {1046, Notify::Clicked, nullptr, &CZoetrixDlg::OnExplain},
    {1047, Notify::Clicked, nullptr, &CZoetrixDlg::OnExplain},
    {1059, Notify::Clicked, nullptr, &CZoetrixDlg::OnExplain},
    {1062, Notify::Clicked, nullptr, &CZoetrixDlg::OnExplain},
    {1071, Notify::Clicked, nullptr, &CZoetrixDlg::OnExplain},
};

}  // namespace

void CZoetrixDlg::OnCommand(int id, Notify notify) {
  // Exit: the dialog's own cancel (button, Escape, close box, Alt+F4).
  if (id == ui::IDCANCEL && notify == Notify::Clicked) {
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

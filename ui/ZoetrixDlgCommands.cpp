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
    {ui::IDCANCEL, Notify::Clicked, nullptr, nullptr},  // exit: the dialog's own cancel
    {1000, Notify::Clicked, &CZoetrixDlg::OnAbout, nullptr},
    {1006, Notify::Clicked, &CZoetrixDlg::OnWebsite, nullptr},
    {1012, Notify::Clicked, &CZoetrixDlg::OnAppendBlankFrame, nullptr},
    {1043, Notify::Clicked, nullptr, &CZoetrixDlg::OnExplain},
    {1046, Notify::Clicked, nullptr, &CZoetrixDlg::OnExplain},
    {1047, Notify::Clicked, nullptr, &CZoetrixDlg::OnExplain},
    {1059, Notify::Clicked, nullptr, &CZoetrixDlg::OnExplain},
    {1062, Notify::Clicked, nullptr, &CZoetrixDlg::OnExplain},
    {1071, Notify::Clicked, nullptr, &CZoetrixDlg::OnExplain},
};

}  // namespace

void CZoetrixDlg::OnCommand(int id, Notify notify) {
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

// The main window's informational commands: help, About, website, the "?" buttons.
#include "res/Texts.h"
#include "ui/CAboutDlg.h"
#include "ui/Website.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/MessageBox.h"

void CZoetrixDlg::OnHelp() { ui::ZMessageBox(ui::U(res::kHelpText)); }

void CZoetrixDlg::OnAbout() {
  CAboutDlg about(this);
  about.DoModal();
}

void CZoetrixDlg::OnWebsite() { ui::OpenWebsite(this); }

void CZoetrixDlg::OnExplain(int buttonId) {
  if (const char* text = res::ExplanationFor(buttonId)) ui::ZMessageBox(ui::U(text));
}

#pragma once
// The user guide shown inside the tool, for when no browser can be started.
#include <QDialog>
#include <QString>

class QTextBrowser;

namespace ui {

class HelpWindow : public QDialog {
  Q_OBJECT
 public:
  // Shows the guide's HTML page at path; links inside the guide work here too.
  explicit HelpWindow(const QString& path, QWidget* parent = nullptr);
  QTextBrowser* browser() const { return m_browser; }

 private:
  QTextBrowser* m_browser;
};

}  // namespace ui

// Long work of the window (opening, importing, exporting, sharing) on a
// thread of its own, with the progress window of ui/framework/JobRunner.
#include <sys/stat.h>

#include "res/ControlIds.h"
#include "res/Printable.h"
#include "res/Texts.h"
#include "ui/ZoetrixDlg.h"
#include "ui/framework/GbkText.h"
#include "ui/framework/JobRunner.h"
#include "ui/framework/MessageBox.h"

using namespace ui;

bool CZoetrixDlg::RunWindowJob(const char* what,
                               const std::function<bool(platform::JobProgress&)>& work) {
  ShowJobNote({});
  // The job's own word: a 取消 that comes after its last step changes
  // nothing, and the job's result and messages stand.
  bool completed = true;
  std::string stage;  // where a cancelled job stopped
  RunJob(this, [&](platform::JobProgress& progress) {
    // The stage the job begins with is named even before the job's first
    // report; jobs of several stages name each themselves.
    progress.Begin(what, 0);
    completed = work(progress);
    stage = progress.Read().what;
  });
  if (!completed) ShowJobNote(U(res::kJobCancelled).arg(QString::fromStdString(stage)));
  return completed;
}

// The status line keeps its text and adds the note after it.
void CZoetrixDlg::ShowJobNote(const QString& note) {
  QString text = ControlText(Control(res::IDC_EDITING_STATUS));
  if (!m_jobNote.isEmpty() && text.endsWith(m_jobNote)) text.chop(m_jobNote.size());
  m_jobNote = note.isEmpty() ? QString() : QStringLiteral("　（") + note + QStringLiteral("）");
  SetDlgItemText(res::IDC_EDITING_STATUS, text + m_jobNote);
}

// A pipe or a device could keep a job waiting for ever, where not even 取消
// reaches it: the window reads only files (or what is not there, which the
// job then names). unreadable: the message, %1 the path and %2 the reason.
bool CZoetrixDlg::OnlyFiles(const std::vector<std::string>& paths, const char* unreadable) {
  for (const std::string& path : paths) {
    struct stat what {};
    if (::stat(path.c_str(), &what) == 0 && !S_ISREG(what.st_mode)) {
      ZMessageBox(QString::fromStdString(
          res::Format(unreadable, {res::Printable(path), res::kProjectNotAFile})));
      return false;
    }
  }
  return true;
}

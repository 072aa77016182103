#include "ui/framework/FileDialog.h"

#include <QFileDialog>

#include "ui/framework/Modal.h"

namespace ui {
namespace {
std::function<QString(const QString&)>& Responder() {
  static std::function<QString(const QString&)> r;
  return r;
}
}  // namespace

void SetOpenFileResponderForTesting(std::function<QString(const QString&)> responder) {
  Responder() = std::move(responder);
}

QString GetOpenFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                        const QString& folder) {
  if (Responder()) return Responder()(filter);
  QFileDialog dialog(parent, QString(), folder, filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // A typed name of a file that does not exist is taken as it is.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(defaultSuffix);
  if (RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

QStringList GetOpenFileNames(QWidget* parent, const QString& filter, const QString& folder) {
  if (Responder()) return Responder()(filter).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  QFileDialog dialog(parent, QString(), folder, filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  if (RunModal(dialog) != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

}  // namespace ui

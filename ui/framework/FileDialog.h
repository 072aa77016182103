#pragma once
// The standard file-open dialog, answerable by tests.
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace ui {

// Asks for a file to open; an empty string when the user cancels. The
// filter is Qt's form, e.g. "工程文件(*.ini)". The dialog opens in folder.
QString GetOpenFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                        const QString& folder = {});

// Asks for one or more existing files to open; empty when the user cancels.
QStringList GetOpenFileNames(QWidget* parent, const QString& filter, const QString& folder = {});

// Tests answer the dialog: the responder sees the filter and returns the
// chosen path (empty for Cancel); for GetOpenFileNames, the chosen paths
// one a line. An empty function restores the dialog.
void SetOpenFileResponderForTesting(std::function<QString(const QString& filter)> responder);

}  // namespace ui

#pragma once
// Qt's own texts (standard buttons, the edit boxes' menus, the file dialog)
// in Simplified Chinese, like the rest of the interface.
class QCoreApplication;

namespace ui {

// Loads Qt's Simplified Chinese translations into the application. Returns
// false when they are not installed; Qt's texts then stay in English.
bool InstallQtTranslations(QCoreApplication& app);

}  // namespace ui

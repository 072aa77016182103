#include "ui/framework/Resources.h"

#include <QtCore/qglobal.h>
#include <QDir>

// Compiled-in resources of a static library must be registered by name.
static void InitZoetrixResources() { Q_INIT_RESOURCE(zoetrix); }

namespace ui {
void InitResources() {
  static const bool done = (InitZoetrixResources(), true);
  (void)done;
}
}  // namespace ui

// How the windows look and read: Qt's own texts in Chinese, drop-down lists
// as high as the tables say, the rule, the size of the main window, and
// where the project file dialog opens.
#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "res/ControlIds.h"
#include "tests/GuiTestSupport.h"
#include "ui/framework/FileDialog.h"
#include "ui/framework/Widgets.h"

using namespace guitest;

TEST(Look, QtsOwnTextsReadInChinese) {
  QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("取消"));
  // The edit boxes' right-click menu.
  QLineEdit edit;
  std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
  QStringList texts;
  for (QAction* a : menu->actions()) texts << a->text();
  EXPECT_TRUE(texts.join('|').contains(QString::fromUtf8("粘贴"))) << texts.join('|').toStdString();
}

TEST(Look, DropDownListsAreAsHighAsTheTablesSay) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.MakeNumberedFrames(40);
  for (int id : {res::IDC_BACK_COLOR, res::IDC_CHAR_COLOR, res::IDC_PREVIEW_SELECTOR,
                 res::IDC_EDIT_SELECTOR}) {
    auto* combo = d.ControlAs<QComboBox>(id);
    ASSERT_GT(combo->count(), combo->maxVisibleItems()) << id;
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    ASSERT_TRUE(view->isVisible()) << id;
    // Exactly the visible-item count shows, not the style's own choice.
    const int rowHeight = view->sizeHintForRow(0);
    const int rows = view->viewport()->height() / rowHeight;
    EXPECT_EQ(rows, combo->maxVisibleItems()) << id;
    combo->hidePopup();
  }
}

TEST(Look, TheRuleSpansItsWholeControl) {
  Hooks hooks;
  MainWindow w(hooks);
  QWidget* rule = w.dlg().Control(res::IDC_RULE);
  ASSERT_NE(qobject_cast<ui::RuleLabel*>(rule), nullptr);
  EXPECT_EQ(w.Text(res::IDC_RULE), QString(46, '_'));
  EXPECT_EQ(rule->width(), w.dlg().Units().MapX(353 + 185) - w.dlg().Units().MapX(353));
  const QImage image = rule->grab().toImage();
  // Drawn in its first and its last column alike.
  auto drawnIn = [&](int x) {
    for (int y = 0; y < image.height(); ++y)
      if (image.pixel(x, y) != image.pixel(image.width() / 2, 0)) return true;
    return false;
  };
  EXPECT_TRUE(drawnIn(1));
  EXPECT_TRUE(drawnIn(image.width() - 2));
}

TEST(Look, TheMainWindowFitsASmallScreen) {
  Hooks hooks;
  MainWindow w(hooks);
  // 740 pixels with a title bar of about 35 on a 1366x768 screen.
  EXPECT_LE(w.dlg().height(), 705);
  EXPECT_LE(w.dlg().width(), 1366);
  EXPECT_GE(w.dlg().font().pointSize(), 7);
}

TEST(Look, TheProjectDialogOpensInTheProjectFolder) {
  Hooks hooks;
  MainWindow w(hooks);
  ui::SetOpenFileResponderForTesting({});
  QString folder;
  hooks.onDialog = [&](QDialog& d) {
    if (auto* files = qobject_cast<QFileDialog*>(&d)) folder = files->directory().absolutePath();
    d.done(QDialog::Rejected);
  };
  w.Click(res::IDC_OPEN_PROJECT);
  EXPECT_EQ(folder, QString::fromStdString((w.folder().path() / "Project").string()));
  EXPECT_TRUE(hooks.messages.isEmpty());
}

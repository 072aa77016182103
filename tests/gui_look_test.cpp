// How the windows look and read: Qt's own texts in Chinese, drop-down lists
// as high as the tables say and scrolling, figures shown whole, the rule,
// the size of the main window, and where the project file dialog opens.
#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>

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

TEST(Look, DropDownListsAreAsHighAsTheTablesSayAndScroll) {
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
    // The rest is reached with a scroll bar, and every item reads whole beside it.
    EXPECT_TRUE(view->verticalScrollBar()->isVisible()) << id;
    for (int row = 0; row < combo->count(); ++row) {
      const QModelIndex item = view->model()->index(row, 0);
      EXPECT_LE(view->fontMetrics().horizontalAdvance(combo->itemText(row)),
                view->visualRect(item).width())
          << id << " " << row;
    }
    const QModelIndex last = view->model()->index(combo->count() - 1, 0);
    view->scrollTo(last);
    EXPECT_TRUE(view->viewport()->rect().contains(view->visualRect(last))) << id;
    combo->hidePopup();
  }
}

// The figures below the play controls show their whole value, the unit
// beside it, up to the largest animation: 1,000,000 frames at one a second.
TEST(Look, FiguresShowTheirWholeValue) {
  struct Case {
    int frames, rate;
    const char* total;
    const char* duration;
  } cases[] = {
      {1000000, 1, "1000000", "1000000.000000"},
      {1, 100, "1", "0.010000"},
      {1, 8, "1", "0.125000"},
  };
  for (const Case& c : cases) {
    Hooks hooks;
    MainWindow w(hooks);
    CZoetrixDlg& d = w.dlg();
    w.SetText(res::IDC_FRAME_RATE, QString::number(c.rate));
    w.Click(res::IDC_CREATE);
    if (c.frames > 1) {
      // The fields cannot reach the limit in one step; the rate can.
      d.doc().m_animation.m_nRate = c.frames - 1;
      w.SetText(res::IDC_DELAY, "1");
      w.Click(res::IDC_ADD_DELAY);
      d.doc().m_animation.m_nRate = c.rate;
      d.RefreshFrameControls();
    }
    ASSERT_EQ(d.doc().FrameCount(), c.frames);
    ASSERT_EQ(w.Text(res::IDC_FRAME_TOTAL), c.total);
    ASSERT_EQ(w.Text(res::IDC_DURATION), c.duration);
    // Each value and its unit read whole, side by side, clear of the buttons.
    const int pairs[][2] = {{res::IDC_FRAME_TOTAL, res::IDC_FRAME_TOTAL_AFTER},
                            {res::IDC_DURATION, res::IDC_DURATION_UNIT}};
    for (const auto& [value, unit] : pairs) {
      for (int id : {value, unit}) {
        auto* label = d.ControlAs<QLabel>(id);
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()),
                  label->contentsRect().width())
            << c.frames << " " << label->text().toStdString();
        for (int button : {res::IDC_PROPERTIES, res::IDC_SETTINGS})
          EXPECT_FALSE(label->geometry().intersects(d.Control(button)->geometry())) << id;
      }
      EXPECT_LE(d.Control(value)->geometry().right(), d.Control(unit)->geometry().left()) << value;
    }
    // The frame numbers too, in the fields and the lists.
    for (int id : {res::IDC_EDIT_FRAME, res::IDC_PREVIEW_FRAME}) {
      auto* field = d.ControlAs<QLineEdit>(id);
      field->setText(c.total);
      const QRect inside = field->contentsRect().marginsRemoved(field->textMargins());
      EXPECT_LE(field->fontMetrics().horizontalAdvance(field->text()), inside.width() - 4) << id;
    }
    auto* selector = d.m_comboEdit;
    QStyleOptionComboBox option;
    option.initFrom(selector);
    option.editable = false;
    const QRect shown = selector->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, selector);
    EXPECT_LE(selector->fontMetrics().horizontalAdvance(selector->currentText()), shown.width())
        << selector->currentText().toStdString();
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

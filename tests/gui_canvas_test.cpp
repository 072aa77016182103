// The drawing canvas in the real window: keys, the mouse, the clipboard,
// the frames behind, the canvas's own undo, its look and its line.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QTest>

#include <QComboBox>
#include <QMenu>
#include <memory>

#include "document/Screen.h"
#include "program/ProgramWriter.h"
#include "res/ControlIds.h"
#include "tests/GuiTestSupport.h"
#include "ui/framework/CharCanvas.h"

using guitest::Hooks;
using guitest::MainWindow;
using testsupport::Gbk;
using ui::CharCanvas;

namespace {

void Type(CharCanvas* canvas, const char* ascii) {
  canvas->setFocus();
  QTest::keyClicks(canvas, ascii);
}

void Press(CharCanvas* canvas, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  canvas->setFocus();
  QTest::keyClick(canvas, key, mods);
}

// The cell's pixels that differ from the canvas's background.
int InkIn(CharCanvas* canvas, document::CellPos at, QRgb background) {
  const QImage image = canvas->viewport()->grab().toImage();
  const QSize cell = canvas->CellSize();
  const QPoint center = canvas->CellCenter(at);
  int ink = 0;
  for (int y = center.y() - cell.height() / 2 + 1; y < center.y() + cell.height() / 2; ++y)
    for (int x = center.x() - cell.width() / 2; x <= center.x() + cell.width() / 2; ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF)) ++ink;
  return ink;
}

}  // namespace

TEST(Canvas, TheCursorGoesAnywhereAndTypingThereAddsOnlyWhatIsNeeded) {
  Hooks hooks;
  MainWindow w(hooks);
  w.Click(res::IDC_CREATE);
  CharCanvas* canvas = w.dlg().EditCanvas();
  Type(canvas, "ab");
  for (int i = 0; i < 3; ++i) Press(canvas, Qt::Key_Right);
  for (int i = 0; i < 2; ++i) Press(canvas, Qt::Key_Down);
  EXPECT_EQ(canvas->Cursor(), (document::CellPos{2, 5}));
  Type(canvas, "x");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "ab\n\n     x");
  // Overwriting is the default; Insert switches, and back.
  Press(canvas, Qt::Key_Home);
  Type(canvas, "y");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "ab\n\ny    x");
  Press(canvas, Qt::Key_Insert);
  EXPECT_TRUE(canvas->InsertMode());
  EXPECT_TRUE(canvas->Readout().contains(QString::fromUtf8("插入")));
  Type(canvas, "z");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "ab\n\nyz    x");
  // A two-cell character is one step for the cursor.
  canvas->SetPlainText(QString::fromUtf8("中文"));
  canvas->SetCursor({0, 0});
  Press(canvas, Qt::Key_Right);
  EXPECT_EQ(canvas->Cursor(), (document::CellPos{0, 2}));
  Press(canvas, Qt::Key_Left);
  EXPECT_EQ(canvas->Cursor(), (document::CellPos{0, 0}));
  // The cursor stays on the canvas (80 x 25 by default).
  for (int i = 0; i < 30; ++i) Press(canvas, Qt::Key_Down);
  EXPECT_EQ(canvas->Cursor().row, 24);
  EXPECT_TRUE(hooks.messages.size() <= 1);  // only "新建"'s own message
}

TEST(Canvas, TheModeAndTheFramesBehindAreRemembered) {
  Hooks hooks;
  std::filesystem::path tool;
  {
    MainWindow w(hooks);
    tool = w.folder().path();
    CharCanvas* canvas = w.dlg().EditCanvas();
    EXPECT_FALSE(canvas->InsertMode());
    EXPECT_TRUE(canvas->OnionShown());
    Press(canvas, Qt::Key_Insert);
    Press(canvas, Qt::Key_O, Qt::AltModifier);
    EXPECT_FALSE(canvas->OnionShown());
    const std::string settings = testsupport::ReadFile(tool / "data" / "Settings.ini");
    EXPECT_NE(settings.find("Insert=1"), std::string::npos);
    EXPECT_NE(settings.find("Onion=0"), std::string::npos);
  }
  MainWindow again(hooks, [&](const std::filesystem::path& folder) {
    testsupport::WriteFile(folder / "data" / "Settings.ini", "[Canvas]\r\nInsert=1\r\nOnion=0\r\n");
  });
  EXPECT_TRUE(again.dlg().EditCanvas()->InsertMode());
  EXPECT_FALSE(again.dlg().EditCanvas()->OnionShown());
}

TEST(Canvas, APencilStrokeIsOneStepOfTheCanvasUndo) {
  Hooks hooks;
  MainWindow w(hooks);
  w.Click(res::IDC_CREATE);
  CharCanvas* canvas = w.dlg().EditCanvas();
  Type(canvas, "base");
  Press(canvas, Qt::Key_2, Qt::AltModifier);
  EXPECT_EQ(canvas->CurrentTool(), CharCanvas::Tool::Pencil);
  Type(canvas, "*");  // with a drawing tool a typed character is the brush
  QWidget* view = canvas->viewport();
  QTest::mousePress(view, Qt::LeftButton, {}, canvas->CellCenter({1, 0}));
  for (int col = 1; col <= 3; ++col) QTest::mouseMove(view, canvas->CellCenter({1, col}));
  QTest::mouseRelease(view, Qt::LeftButton, {}, canvas->CellCenter({1, 3}));
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "base\n****");
  Press(canvas, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "base");
  Press(canvas, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "base\n****");
  // A rectangle dragged out with box characters.
  Press(canvas, Qt::Key_4, Qt::AltModifier);
  Press(canvas, Qt::Key_B, Qt::AltModifier);
  QTest::mousePress(view, Qt::LeftButton, {}, canvas->CellCenter({2, 0}));
  QTest::mouseMove(view, canvas->CellCenter({3, 2}));
  QTest::mouseRelease(view, Qt::LeftButton, {}, canvas->CellCenter({4, 3}));
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), QString::fromUtf8("base\n****\n┌┐\n││\n└┘"));
  // Another frame brings its own, empty, undo.
  w.Click(res::IDC_APPEND_BLANK);
  EXPECT_FALSE(canvas->CanUndo());
}

TEST(Canvas, BlocksGoToAndFromTheClipboardAsPlainText) {
  Hooks hooks;
  MainWindow w(hooks);
  w.Click(res::IDC_CREATE);
  CharCanvas* canvas = w.dlg().EditCanvas();
  canvas->SetPlainText(QString::fromUtf8("abcd\n中文ef"));
  canvas->SetCursor({0, 1});
  Press(canvas, Qt::Key_Down, Qt::ShiftModifier | Qt::AltModifier);
  Press(canvas, Qt::Key_Right, Qt::ShiftModifier | Qt::AltModifier);
  Press(canvas, Qt::Key_Right, Qt::ShiftModifier | Qt::AltModifier);
  // The cursor never rests on half a character: the block reaches past 文.
  EXPECT_EQ(canvas->Block(), (document::CellRect{0, 1, 1, 4}));
  Press(canvas, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("bcd\n 文e"));
  // Text from another program lands as a block at the cursor, overwriting.
  Press(canvas, Qt::Key_Escape);
  EXPECT_FALSE(canvas->HasBlock());
  QApplication::clipboard()->setText("XY\nZ");
  canvas->SetCursor({0, 2});
  Press(canvas, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), QString::fromUtf8("abXY\n中Z ef"));
  // Typing with a block chosen fills it; Del clears it.
  canvas->SetBlock({0, 0, 0, 1});
  Type(canvas, "=");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), QString::fromUtf8("==XY\n中Z ef"));
  Press(canvas, Qt::Key_Delete);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), QString::fromUtf8("  XY\n中Z ef"));
  // A chosen block dragged with the mouse moves.
  canvas->SetBlock({0, 2, 0, 3});
  QWidget* view = canvas->viewport();
  QTest::mousePress(view, Qt::LeftButton, {}, canvas->CellCenter({0, 2}));
  QTest::mouseMove(view, canvas->CellCenter({2, 4}));
  QTest::mouseRelease(view, Qt::LeftButton, {}, canvas->CellCenter({2, 4}));
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), QString::fromUtf8("\n中Z ef\n    XY"));
  EXPECT_EQ(canvas->Block(), (document::CellRect{2, 4, 2, 5}));
}

TEST(Canvas, ThePreviousFrameShowsFaintlyBehindAndNeverGetsStored) {
  Hooks hooks;
  MainWindow w(hooks);
  w.CreateWithFrames({"X"});
  CharCanvas* canvas = w.dlg().EditCanvas();
  canvas->setFocus();
  ASSERT_EQ(w.dlg().doc().FrameCount(), 2);
  ASSERT_EQ(w.Text(res::IDC_EDIT_AREA), "");
  const QRgb black = 0xFF000000;
  EXPECT_GT(InkIn(canvas, {0, 0}, black), 0);  // the X of frame 1, faintly
  EXPECT_EQ(InkIn(canvas, {0, 3}, black), 0);  // nothing there
  Press(canvas, Qt::Key_O, Qt::AltModifier);   // hidden
  EXPECT_EQ(InkIn(canvas, {0, 0}, black), 0);
  Press(canvas, Qt::Key_O, Qt::AltModifier);
  w.Key(res::IDC_EDIT_AREA, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(w.dlg().doc().TextAt(1), "");
}

TEST(Canvas, TheCanvasShowsTheChosenColoursBeforeAndAfterCreating) {
  Hooks hooks;
  MainWindow w(hooks);
  CharCanvas* canvas = w.dlg().EditCanvas();
  const auto backAt = [&] {
    return canvas->viewport()->grab().toImage().pixel(canvas->CellCenter({1, 1})) & 0xFFFFFF;
  };
  EXPECT_EQ(backAt(), document::kConsoleRgb[0]);
  w.dlg().m_comboBackColor->setCurrentIndex(1);
  const document::ConsoleColors chosen = document::ShownColors(
      output::MakeColorCode(1, w.dlg().m_comboCharColor->currentIndex(), [] {}));
  EXPECT_EQ(backAt(), document::kConsoleRgb[static_cast<std::size_t>(chosen.back)]);
  w.Click(res::IDC_CREATE);
  EXPECT_EQ(backAt(), document::kConsoleRgb[static_cast<std::size_t>(chosen.back)]);
}

TEST(Canvas, TextBeyondTheCanvasIsNamedWhenStoredAndAfterAnExport) {
  Hooks hooks;
  MainWindow w(hooks);
  w.SetText(res::IDC_WIDE, "12");
  w.SetText(res::IDC_HIGH, "11");
  CharCanvas* canvas = w.dlg().EditCanvas();
  EXPECT_EQ(canvas->CanvasWide(), 12);  // the fields' size before "新建"
  EXPECT_EQ(canvas->CanvasHigh(), 11);
  w.SetText(res::IDC_HIGH, "9");  // out of range: the canvas keeps its size
  EXPECT_EQ(canvas->CanvasHigh(), 11);
  w.SetText(res::IDC_HIGH, "11");
  w.Click(res::IDC_CREATE);
  w.SetText(res::IDC_EDIT_AREA, "0123456789ABC\n\n\n\n\n\n\n\n\n\n\nx");
  EXPECT_TRUE(canvas->Readout().contains(QString::fromUtf8("第1帧超出画布（到第13列、第12行）")));
  hooks.messages.clear();
  w.Click(res::IDC_APPEND_BLANK);
  EXPECT_TRUE(hooks.messages.isEmpty());  // no box: a line under the canvas
  EXPECT_TRUE(
      canvas->Readout().contains(QString::fromUtf8("第1帧有超出画布的内容（到第13列、第12行）")));
  w.SetText(res::IDC_EDIT_AREA, "fits");
  w.Click(res::IDC_APPEND_BLANK);
  EXPECT_FALSE(canvas->Readout().contains(QString::fromUtf8("超出画布")));
}

// The window hands the canvas its own text back at every exchange (each
// playback tick does one): the canvas's steps, block and cursor stay, and
// a step that changed nothing leaves what can be redone alone.
TEST(Canvas, ExchangesKeepTheCanvasStepsAndNoOpKeysKeepRedo) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.CreateWithFrames({"one"});
  CharCanvas* canvas = d.EditCanvas();
  Type(canvas, "abc");
  canvas->SetBlock({0, 0, 0, 1});
  d.UpdateData(true);
  d.UpdateData(false);
  EXPECT_TRUE(canvas->CanUndo());
  EXPECT_TRUE(canvas->HasBlock());
  Press(canvas, Qt::Key_Escape);
  Press(canvas, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "");
  EXPECT_EQ(d.doc().FrameCount(), 2);  // no frame step was undone
  canvas->SetCursor({0, 0});
  Press(canvas, Qt::Key_Backspace);  // nothing to erase: no step
  Press(canvas, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "abc");
}

// Deleting frames puts the last frame into the canvas as its bytes, so its
// lone line feeds are not turned into CR LF behind the user's back.
TEST(Canvas, DeletingFramesLeavesTheShownFramesBytesAlone) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.Click(res::IDC_CREATE);
  d.EditCanvas()->SetFrameText("a\nb");
  w.Click(res::IDC_APPEND_BLANK);
  ASSERT_EQ(d.doc().TextAt(0), "a\nb");
  w.Key(res::IDC_EDIT_AREA, Qt::Key_Delete, Qt::ControlModifier);
  ASSERT_EQ(d.doc().FrameCount(), 1);
  w.Key(res::IDC_EDIT_AREA, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(d.doc().TextAt(0), "a\nb");
}

// A picture to trace shows faintly behind the canvas, is never part of a
// frame, and comes back for the same project file in a later window.
TEST(Canvas, APictureToTraceShowsBehindAndIsRememberedPerProject) {
  Hooks hooks;
  std::filesystem::path tool;
  std::string project, projectBytes, settings;
  const QRgb black = 0xFF000000;
  const testsupport::TempDir pictures;
  {
    MainWindow w(hooks);
    tool = w.folder().path();
    CZoetrixDlg& d = w.dlg();
    w.Click(res::IDC_CREATE);
    CharCanvas* canvas = d.EditCanvas();
    canvas->setFocus();
    EXPECT_EQ(InkIn(canvas, {12, 40}, black), 0);
    QImage white(64, 32, QImage::Format_RGB32);
    white.fill(Qt::white);
    const std::string picture = (pictures.path() / "trace.png").string();
    ASSERT_TRUE(white.save(QString::fromStdString(picture)));
    w.AnswerOpenFile(picture);
    emit canvas->TraceChooseRequested();
    EXPECT_GT(InkIn(canvas, {12, 40}, black), 0);  // the picture, faintly
    EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "");     // and nothing in the frame
    // Hidden from the menu, then shown again and moved right.
    std::unique_ptr<QMenu> menu(canvas->BuildMenu(nullptr));
    QMenu* trace = nullptr;
    for (QAction* a : menu->actions())
      if (a->menu() && a->text() == QString::fromUtf8("描图")) trace = a->menu();
    ASSERT_NE(trace, nullptr);
    for (QAction* a : trace->actions())
      if (a->text() == QString::fromUtf8("显示描图")) a->trigger();
    EXPECT_EQ(InkIn(canvas, {12, 40}, black), 0);
    EXPECT_FALSE(canvas->CurrentTrace().shown);
    canvas->SetTrace({canvas->CurrentTrace().image, true, 35, 100, 0, 0});
    for (QAction* a : trace->actions())
      if (a->text() == QString::fromUtf8("右移一格")) a->trigger();
    EXPECT_EQ(canvas->CurrentTrace().dx, 1);
    project = d.doc().m_export.m_strProjectPath;
    d.doc().m_bSaveProject = 1;
    d.UpdateData(false);
    w.Click(res::IDC_EXPORT);
    ASSERT_TRUE(std::filesystem::exists(project));
    projectBytes = testsupport::ReadFile(project);
    settings = testsupport::ReadFile(tool / "data" / "Settings.ini");
    EXPECT_NE(settings.find("[Trace]"), std::string::npos);
    EXPECT_NE(settings.find("|1|0|" + picture), std::string::npos) << settings;
  }
  // Another start, in another folder, with the same project file and
  // settings.
  std::filesystem::path reopened;
  MainWindow again(hooks, [&](const std::filesystem::path& folder) {
    testsupport::WriteFile(folder / "data" / "Settings.ini", settings);
    reopened = folder / "Project" / std::filesystem::path(project).filename();
    testsupport::WriteFile(reopened, projectBytes);
  });
  again.AnswerOpenFile(reopened.string());
  again.Click(res::IDC_OPEN_PROJECT);
  const CharCanvas::Trace& trace = again.dlg().EditCanvas()->CurrentTrace();
  EXPECT_FALSE(trace.image.isNull());
  EXPECT_EQ(trace.dx, 1);
  EXPECT_TRUE(trace.shown);
}

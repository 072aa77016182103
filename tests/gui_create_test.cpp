// "新建": checks, file names from the clock, the code file, restart or carry-over.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <filesystem>

#include "platform/Clock.h"
#include "program/ProgramWriter.h"
#include "res/ControlIds.h"
#include "tests/GuiTestSupport.h"
#include "ui/framework/MessageBox.h"

using output::MakeProgramPrologue;

using namespace guitest;
using testsupport::Gbk;
namespace fs = std::filesystem;

namespace {

const platform::LocalTime kJuly5{2019, 7, 5, 9, 3, 7};
const QString kCreated = QString::fromUtf8("创建完毕");
const QString kOutOfRange = QString::fromUtf8("创建失败！数值越界！");

// Fixes the clock for one test.
struct FixedClock {
  explicit FixedClock(platform::LocalTime t) { platform::SetClockForTesting(t); }
  ~FixedClock() { platform::SetClockForTesting(std::nullopt); }
};

int FilesIn(const fs::path& dir) {
  int n = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(dir)) ++n;
  return n;
}

}  // namespace

TEST(Create, TheLimitsOfWidthHeightAndRate) {
  struct Case {
    int id;
    const char* value;
    QStringList messages;
  } cases[] = {
      {res::IDC_WIDE, "10", {kOutOfRange}},
      {res::IDC_HIGH, "10", {kOutOfRange}},
      {res::IDC_WIDE, "11", {kCreated}},
      {res::IDC_HIGH, "100", {kCreated}},
      {res::IDC_WIDE,
       "101",
       {QString::fromUtf8("请输入一个介于 10 和 100 之间的整数。"), kOutOfRange}},
      {res::IDC_FRAME_RATE,
       "0",
       {QString::fromUtf8("请输入一个介于 1 和 100 之间的整数。"), kOutOfRange}},
      {res::IDC_FRAME_RATE, "1", {kCreated}},
      {res::IDC_FRAME_RATE, "100", {kCreated}},
      {res::IDC_FRAME_RATE,
       "101",
       {QString::fromUtf8("请输入一个介于 1 和 100 之间的整数。"), kOutOfRange}},
  };
  for (const Case& c : cases) {
    Hooks hooks;
    MainWindow w(hooks);
    w.SetText(c.id, c.value);
    w.Click(res::IDC_CREATE);
    EXPECT_EQ(hooks.messages, c.messages) << c.id << "=" << c.value;
    const bool created = c.messages.last() == kCreated;
    EXPECT_EQ(w.dlg().doc().m_bCreated, created ? 1 : 0);
    EXPECT_EQ(FilesIn(w.folder().path() / "Code"), created ? 1 : 0);
  }
}

TEST(Create, DefaultsGiveOneBlankFrameAndTheClassicProperties) {
  Hooks hooks;
  MainWindow w(hooks);
  FixedClock clock(kJuly5);
  w.Click(res::IDC_CREATE);
  CZoetrixDlg& d = w.dlg();
  EXPECT_EQ(hooks.messages, QStringList{kCreated});
  EXPECT_EQ(d.doc().m_animation.m_strColor, "07");
  EXPECT_EQ(d.doc().m_animation.m_nAnimWide, 80);
  EXPECT_EQ(d.doc().m_animation.m_nAnimHigh, 25);
  EXPECT_EQ(d.doc().m_animation.m_nRate, 24);
  EXPECT_EQ(d.doc().m_animation.m_strAnimName, Gbk("无题"));
  EXPECT_EQ(d.doc().FrameCount(), 1);
  EXPECT_EQ(w.Text(res::IDC_DURATION), "0.041667");
  EXPECT_EQ(w.Text(res::IDC_FRAME_TOTAL), "1");
  EXPECT_EQ(d.m_comboEdit->currentText(), QString::fromUtf8("第1帧"));
}

TEST(Create, FilesAreNamedFromOneClockReadingAndTheCodeFileHoldsThePrologue) {
  Hooks hooks;
  MainWindow w(hooks);
  FixedClock clock(kJuly5);
  w.Click(res::IDC_CREATE);
  CZoetrixDlg& d = w.dlg();
  const std::string f = w.folder().folder();
  EXPECT_EQ(d.doc().m_export.m_strProjectPath, f + "Project/2019_7_5_9_3_7.ini");
  EXPECT_EQ(d.doc().m_export.m_strExePath, f + "Animate/2019_7_5_9_3_7.exe");
  EXPECT_EQ(d.doc().m_export.m_strBuildPath, f + "Code/2019_7_5_9_3_7.exe");
  EXPECT_EQ(d.doc().m_export.m_strCodePath, f + "Code/2019_7_5_9_3_7.c");
  EXPECT_EQ(w.Text(res::IDC_EDITING_STATUS),
            QString::fromUtf8("【↓动画制作区域↓】当前编辑：") +
                QString::fromStdString(f + "Code/2019_7_5_9_3_7.c"));
  ASSERT_NE(d.doc().m_export.m_pCodeFile.get(), nullptr);
  std::fflush(d.doc().m_export.m_pCodeFile.get());
  const std::string code = testsupport::ReadFile(d.doc().m_export.m_strCodePath);
  EXPECT_EQ(code, MakeProgramPrologue(testsupport::AnimationOf(Gbk("无题"), 80, 25, "07"), kJuly5));
  EXPECT_NE(code.find("2019.7.5 9:3:7"), std::string::npos);
  // Only the code file exists so far.
  EXPECT_EQ(FilesIn(w.folder().path() / "Project"), 0);
  EXPECT_EQ(FilesIn(w.folder().path() / "Animate"), 0);
}

TEST(Create, ColoursOfTheListsMakeTheColourCode) {
  Hooks hooks;
  MainWindow w(hooks);
  w.dlg().m_comboBackColor->setCurrentIndex(9);   // 淡蓝色
  w.dlg().m_comboCharColor->setCurrentIndex(15);  // 亮白色
  w.Click(res::IDC_CREATE);
  EXPECT_EQ(w.dlg().doc().m_animation.m_strColor, "9F");
  EXPECT_EQ(w.dlg().doc().m_nBackColor, 9);
  EXPECT_EQ(w.dlg().doc().m_nCharColor, 15);
}

// A list without a selection is reported after the code file is open and
// named in the status line, and the command goes on with the shorter code.
TEST(Create, AColourWithoutASelectionIsReportedOnceTheCodeFileIsOpen) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  d.m_comboBackColor->setCurrentIndex(-1);
  QStringList seen;  // each message with the status line and the code files at that moment
  ui::SetMessageBoxResponderForTesting([&](const QString& text, int) {
    seen << text + "|" + QString::number(w.Text(res::IDC_EDITING_STATUS).endsWith(".c")) + "|" +
                QString::number(FilesIn(w.folder().path() / "Code"));
    return ui::IDOK;
  });
  w.Click(res::IDC_CREATE);
  EXPECT_EQ(seen, (QStringList{QString::fromUtf8("动画颜色信息导入错误！|1|1"),
                               QString::fromUtf8("创建完毕|1|1")}));
  EXPECT_EQ(d.doc().m_animation.m_strColor, "7");
  EXPECT_EQ(d.doc().m_bCreated, 1);
}

TEST(Create, CarryOverKeepsTheFramesAndTheOldDurationUntilTheNextRefresh) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  FixedClock clock(kJuly5);
  w.Click(res::IDC_CREATE);
  for (int i = 0; i < 11; ++i) {
    w.SetText(res::IDC_EDIT_AREA, QString("frame %1").arg(i + 1));
    w.Click(res::IDC_APPEND_BLANK);
  }
  ASSERT_EQ(d.doc().FrameCount(), 12);
  EXPECT_EQ(w.Text(res::IDC_DURATION), "0.500000");

  hooks.messages.clear();
  platform::SetClockForTesting(platform::LocalTime{2019, 7, 5, 9, 3, 8});
  d.ControlAs<QAbstractButton>(res::IDC_OVERWRITE)->setChecked(false);
  w.SetText(res::IDC_FRAME_RATE, "10");
  w.SetText(res::IDC_NAME, "second");
  w.Click(res::IDC_CREATE);
  EXPECT_EQ(hooks.messages, QStringList{kCreated});  // no question without the box
  EXPECT_EQ(d.doc().FrameCount(), 12);
  EXPECT_EQ(d.doc().m_animation.m_nRate, 10);
  EXPECT_EQ(d.doc().m_animation.m_frames.At(10)->Text(), "frame 11");
  EXPECT_EQ(w.Text(res::IDC_DURATION), "0.500000");
  EXPECT_EQ(d.doc().m_animation.m_strAnimName, "second");
  w.Click(res::IDC_APPEND_BLANK);
  EXPECT_EQ(w.Text(res::IDC_DURATION), "1.300000");
}

TEST(Create, CancelAtTheOverwriteQuestionCreatesNothing) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  FixedClock clock(kJuly5);
  w.Click(res::IDC_CREATE);
  w.SetText(res::IDC_EDIT_AREA, "kept");
  w.Click(res::IDC_APPEND_BLANK);
  const QString status = w.Text(res::IDC_EDITING_STATUS);
  hooks.messages.clear();
  hooks.messageTypes.clear();
  hooks.answer = ui::IDCANCEL;
  platform::SetClockForTesting(platform::LocalTime{2020, 1, 1, 0, 0, 0});
  w.Click(res::IDC_CREATE);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_TRUE(hooks.messages[0].startsWith(
      QString::fromUtf8("你确定要新建一个动画吗？\n你勾选了\"覆盖当前动画\"\n")));
  EXPECT_EQ(hooks.messageTypes[0], ui::MB_OKCANCEL);
  EXPECT_EQ(FilesIn(w.folder().path() / "Code"), 1);
  EXPECT_EQ(w.Text(res::IDC_EDITING_STATUS), status);
  EXPECT_EQ(d.doc().FrameCount(), 2);
  EXPECT_EQ(d.doc().m_animation.m_frames.At(0)->Text(), "kept");
}

// What was drawn before any animation existed is its first frame, still
// in the edit area; drawing over an existing animation's frame is not.
TEST(Create, APictureDrawnBeforeCreatingBecomesTheFirstFrame) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  w.SetText(res::IDC_EDIT_AREA, QString::fromUtf8("开场"));
  w.Click(res::IDC_CREATE);
  ASSERT_EQ(d.doc().FrameCount(), 1);
  EXPECT_EQ(d.doc().TextAt(0), Gbk("开场"));
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), QString::fromUtf8("开场"));
  w.Click(res::IDC_APPEND_BLANK);
  EXPECT_EQ(d.doc().TextAt(0), Gbk("开场"));
  EXPECT_EQ(d.doc().FrameCount(), 2);

  // A new animation over this one starts blank, as before.
  w.SetText(res::IDC_EDIT_AREA, "second frame");
  w.Click(res::IDC_CREATE);
  ASSERT_EQ(d.doc().FrameCount(), 1);
  EXPECT_EQ(d.doc().TextAt(0), "");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "");
}

TEST(Create, AMissingCodeFolderIsReportedAndChangesNothing) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  FixedClock clock(kJuly5);
  w.Click(res::IDC_CREATE);
  w.SetText(res::IDC_EDIT_AREA, "one");
  w.Click(res::IDC_APPEND_BLANK);
  std::FILE* before = d.doc().m_export.m_pCodeFile.get();
  const std::string codePath = d.doc().m_export.m_strCodePath;
  std::fflush(before);
  const std::string codeBefore = testsupport::ReadFile(codePath);

  fs::rename(w.folder().path() / "Code", w.folder().path() / "Code.away");
  platform::SetClockForTesting(platform::LocalTime{2019, 7, 5, 9, 3, 9});
  hooks.messages.clear();
  w.Click(res::IDC_CREATE);
  ASSERT_EQ(hooks.messages.size(), 2);  // the overwrite question, then the problem
  EXPECT_TRUE(hooks.messages[1].contains(QString::fromUtf8("无法创建代码文件")));
  EXPECT_EQ(d.doc().m_export.m_pCodeFile.get(), before);
  EXPECT_EQ(d.doc().m_export.m_strCodePath, codePath);
  EXPECT_EQ(d.doc().FrameCount(), 2);
  EXPECT_EQ(d.doc().m_animation.m_frames.At(0)->Text(), "one");
  fs::rename(w.folder().path() / "Code.away", w.folder().path() / "Code");
  EXPECT_EQ(testsupport::ReadFile(codePath), codeBefore);
}

TEST(Create, ASecondCreationClosesTheFirstCodeFile) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  FixedClock clock(kJuly5);
  w.Click(res::IDC_CREATE);
  std::FILE* first = d.doc().m_export.m_pCodeFile.get();
  platform::SetClockForTesting(platform::LocalTime{2019, 7, 5, 9, 3, 8});
  w.Click(res::IDC_CREATE);
  EXPECT_NE(d.doc().m_export.m_pCodeFile.get(), first);
  // Twice in the same second: the second gets a name of its own, so
  // nothing of the first is overwritten.
  const std::string second = d.doc().m_export.m_strCodePath;
  w.Click(res::IDC_CREATE);
  EXPECT_EQ(d.doc().m_export.m_strCodePath, w.folder().folder() + "Code/2019_7_5_9_3_8_2.c");
  EXPECT_EQ(d.doc().m_export.m_strProjectPath,
            w.folder().folder() + "Project/2019_7_5_9_3_8_2.ini");
  EXPECT_NE(d.doc().m_export.m_strCodePath, second);
}

// A code file that holds only the prologue cannot compile: it goes when its
// animation is replaced ("新建", opening a project) or the tool ends, unless
// the animation's code was exported.
TEST(Create, CodeFilesNeverExportedDoNotOutliveTheirAnimation) {
  testsupport::TempDir code("zoetrix-code");  // outlives the tool's folder
  {
    Hooks hooks;
    MainWindow w(hooks, [&](const fs::path& tool) {
      fs::remove_all(tool / "Code");
      fs::create_directory_symlink(code.path(), tool / "Code");
    });
    CZoetrixDlg& d = w.dlg();
    FixedClock clock(kJuly5);
    w.Click(res::IDC_CREATE);
    const std::string first = d.doc().m_export.m_strCodePath;
    w.Click(res::IDC_CREATE);
    EXPECT_FALSE(fs::exists(first));
    EXPECT_EQ(FilesIn(code.path()), 1);

    d.ControlAs<QAbstractButton>(res::IDC_SAVE_CODE)->setChecked(true);
    w.Click(res::IDC_EXPORT);
    const std::string exported = d.doc().m_export.m_strCodePath;
    w.Click(res::IDC_CREATE);
    EXPECT_TRUE(fs::exists(exported));
    const std::string third = d.doc().m_export.m_strCodePath;

    const fs::path project = w.folder().path() / "in.ini";
    testsupport::WriteFile(project,
                           "[AnimatedProperties]\r\nName=p\r\nWide=20\r\nHigh=4\r\nColor=07\r\n"
                           "FrameRate=5\r\nFrameNum=1\r\n[AnimatePicture]\r\nFrame1=x\r\n");
    w.AnswerOpenFile(project.string());
    w.Click(res::IDC_OPEN_PROJECT);
    EXPECT_NE(d.doc().m_export.m_strCodePath, third);
    EXPECT_FALSE(fs::exists(third));
    EXPECT_EQ(FilesIn(code.path()), 2);
  }
  // The tool has ended: only the exported animation's code is left.
  EXPECT_EQ(FilesIn(code.path()), 1);
  EXPECT_TRUE(fs::exists(code.path() / "2019_7_5_9_3_7_2.c"));
}

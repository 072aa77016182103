// "打开": opening a project, replacing the animation or appended to it.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QComboBox>
#include <filesystem>

#include "platform/Clock.h"
#include "program/ProgramWriter.h"
#include "project/ProjectFile.h"
#include "res/ControlIds.h"
#include "tests/GuiTestSupport.h"
#include "ui/framework/MessageBox.h"

using output::kProjectReadError;
using output::MakeProgramPrologue;

using namespace guitest;
using testsupport::Gbk;
using testsupport::ReadFile;
using testsupport::WriteFile;
namespace fs = std::filesystem;

namespace {

const QString kImported = QString::fromUtf8("已导入！");

std::string Project(int frameNum, const std::vector<std::string>& frames, const char* eol = "\r\n",
                    int rate = 12) {
  std::string s = std::string("[AnimatedProperties]") + eol + "Name=" + Gbk("小猫") + eol +
                  "Wide=40" + eol + "High=12" + eol + "Color=1E" + eol +
                  "FrameRate=" + std::to_string(rate) + eol +
                  "FrameNum=" + std::to_string(frameNum) + eol + "[AnimatePicture]" + eol;
  for (size_t i = 0; i < frames.size(); ++i)
    s += "Frame" + std::to_string(i + 1) + "=" + frames[i] + eol;
  return s;
}

struct FixedClock {
  FixedClock() { platform::SetClockForTesting(platform::LocalTime{2021, 3, 4, 5, 6, 7}); }
  ~FixedClock() { platform::SetClockForTesting(std::nullopt); }
};

}  // namespace

TEST(OpenProject, ReplacingTakesEverythingFromTheFileAndMakesANewCodeFile) {
  Hooks hooks;
  MainWindow w(hooks);
  FixedClock clock;
  const fs::path file = w.folder().path() / "in.ini";
  WriteFile(file, Project(4, {"a\\nb", "\\\"q\\\" \\'s\\' \\\\"}));
  w.AnswerOpenFile(file.string());
  w.Click(res::IDC_OPEN_PROJECT);
  const CZoetrixDlg& d = w.dlg();
  EXPECT_EQ(hooks.messages, QStringList{kImported});
  ASSERT_EQ(d.doc().FrameCount(), 4);
  EXPECT_EQ(d.doc().m_animation.m_frames.At(0)->Text(), "a\r\nb");
  EXPECT_EQ(d.doc().m_animation.m_frames.At(1)->Text(), "\"q\" 's' \\");
  EXPECT_EQ(d.doc().m_animation.m_frames.At(2)->Text(), kProjectReadError);
  EXPECT_EQ(d.doc().m_animation.m_frames.At(3)->Text(), kProjectReadError);
  EXPECT_EQ(d.doc().m_animation.m_strAnimName, Gbk("小猫"));
  EXPECT_EQ(d.doc().m_animation.m_nAnimWide, 40);
  EXPECT_EQ(d.doc().m_animation.m_nAnimHigh, 12);
  EXPECT_EQ(d.doc().m_animation.m_strColor, "1E");
  EXPECT_EQ(d.doc().m_animation.m_nRate, 12);
  EXPECT_EQ(d.doc().m_bCreated, 1);
  EXPECT_EQ(d.doc().m_export.m_strCodePath, w.folder().folder() + "Code/2021_3_4_5_6_7.c");
  EXPECT_EQ(w.Text(res::IDC_EDITING_STATUS),
            QString::fromUtf8("【↓动画制作区域↓】当前编辑：") +
                QString::fromStdString(d.doc().m_export.m_strCodePath));
  EXPECT_NE(d.doc().m_export.m_pCodeFile.get(), nullptr);
  EXPECT_EQ(ReadFile(d.doc().m_export.m_strCodePath),
            MakeProgramPrologue(testsupport::AnimationOf(Gbk("小猫"), 40, 12, "1E"),
                                platform::LocalTime{2021, 3, 4, 5, 6, 7}));
  EXPECT_EQ(w.Text(res::IDC_FRAME_TOTAL), "4");
  EXPECT_EQ(w.Text(res::IDC_DURATION), "0.333333");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA),
            QString::fromUtf8("读取错误"));  // the last frame, being edited
  // The fields keep what they showed.
  EXPECT_EQ(w.Text(res::IDC_NAME), QString::fromUtf8("无题"));
  EXPECT_EQ(w.Text(res::IDC_FRAME_RATE), "24");
}

TEST(OpenProject, AppendingThreeFramesToFiveGivesEight) {
  Hooks hooks;
  MainWindow w(hooks);
  w.CreateWithFrames({"1", "2", "3", "4"});
  CZoetrixDlg& d = w.dlg();
  ASSERT_EQ(d.doc().FrameCount(), 5);
  w.SetText(res::IDC_EDIT_AREA, "five, typed but not saved");
  const std::string codePath = d.doc().m_export.m_strCodePath;
  std::FILE* code = d.doc().m_export.m_pCodeFile.get();
  const fs::path file = w.folder().path() / "three.ini";
  WriteFile(file, Project(3, {"x\\ny", "\\\\n", "z"}, "\n"));  // an LF-only file
  d.ControlAs<QAbstractButton>(res::IDC_APPEND)->setChecked(true);
  w.AnswerOpenFile(file.string());
  hooks.messages.clear();
  w.Click(res::IDC_OPEN_PROJECT);
  EXPECT_EQ(hooks.messages, QStringList{kImported});
  ASSERT_EQ(d.doc().FrameCount(), 8);
  EXPECT_EQ(d.doc().m_animation.m_frames.At(3)->Text(), "4");
  EXPECT_EQ(d.doc().m_animation.m_frames.At(4)->Text(), "five, typed but not saved");
  EXPECT_EQ(d.doc().m_animation.m_frames.At(5)->Text(), "x\r\ny");
  EXPECT_EQ(d.doc().m_animation.m_frames.At(6)->Text(),
            "\\n");  // a backslash and n come back as they were
  EXPECT_EQ(d.doc().m_animation.m_frames.At(7)->Text(), "z");
  EXPECT_EQ(d.doc().m_animation.m_strAnimName, Gbk("无题"));
  EXPECT_EQ(d.doc().m_animation.m_nRate, 24);
  EXPECT_EQ(d.doc().m_export.m_strCodePath, codePath);
  EXPECT_EQ(d.doc().m_export.m_pCodeFile.get(), code);
  EXPECT_EQ(d.m_comboEdit->count(), 8);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "z");  // the new last frame is the one being edited
}

TEST(OpenProject, RefusalsChangeNothing) {
  struct Case {
    const char* what;
    std::string content;
  } cases[] = {
      {"not a project", "[Other]\r\nKey=1\r\n"},
      {"binary garbage", std::string("\x00\xff\x81\x5c[\x01=\x02\n\xfe", 10)},
      {"rate 0", Project(1, {"a"}, "\r\n", 0)},
      {"too many frames", Project(2000000000, {"a"})},
  };
  for (const Case& c : cases) {
    Hooks hooks;
    MainWindow w(hooks);
    w.CreateWithFrames({"kept"});
    CZoetrixDlg& d = w.dlg();
    const std::string codePath = d.doc().m_export.m_strCodePath;
    const fs::path file = w.folder().path() / "bad.ini";
    WriteFile(file, c.content);
    w.AnswerOpenFile(file.string());
    hooks.messages.clear();
    w.Click(res::IDC_OPEN_PROJECT);
    ASSERT_EQ(hooks.messages.size(), 2) << c.what;  // the question, then the refusal
    EXPECT_NE(hooks.messages[1], kImported) << c.what;
    EXPECT_EQ(d.doc().FrameCount(), 2) << c.what;
    EXPECT_EQ(d.doc().m_animation.m_frames.At(0)->Text(), "kept") << c.what;
    EXPECT_EQ(d.doc().m_export.m_strCodePath, codePath) << c.what;
  }
}

TEST(OpenProject, CancelAndMissingPieces) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  const fs::path file = w.folder().path() / "p.ini";
  WriteFile(file, Project(1, {"a"}));
  // Cancel in the file dialog.
  w.AnswerOpenFile("");
  w.Click(res::IDC_OPEN_PROJECT);
  EXPECT_TRUE(hooks.messages.isEmpty());
  // Appending needs an animation.
  d.ControlAs<QAbstractButton>(res::IDC_APPEND)->setChecked(true);
  w.AnswerOpenFile(file.string());
  w.Click(res::IDC_OPEN_PROJECT);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("还没有创建动画！请先创建动画！")});
  // Cancel at the replacing question.
  d.ControlAs<QAbstractButton>(res::IDC_APPEND)->setChecked(false);
  w.CreateWithFrames({"mine"});
  hooks.messages.clear();
  hooks.answer = ui::IDCANCEL;
  w.Click(res::IDC_OPEN_PROJECT);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_TRUE(hooks.messages[0].startsWith(QString::fromUtf8("你确定要打开一个动画工程吗？")));
  EXPECT_EQ(d.doc().m_animation.m_frames.At(0)->Text(), "mine");
  // No Code/ folder: told, nothing replaced.
  hooks.answer = ui::IDOK;
  hooks.messages.clear();
  fs::remove_all(w.folder().path() / "Code");
  platform::SetClockForTesting(platform::LocalTime{2022, 1, 1, 1, 1, 1});
  w.Click(res::IDC_OPEN_PROJECT);
  platform::SetClockForTesting(std::nullopt);
  ASSERT_EQ(hooks.messages.size(), 2);
  EXPECT_TRUE(hooks.messages[1].contains(QString::fromUtf8("无法创建代码文件")));
  EXPECT_EQ(d.doc().m_animation.m_frames.At(0)->Text(), "mine");
  EXPECT_EQ(d.doc().m_animation.m_strAnimName, Gbk("无题"));
}

TEST(OpenProject, GoldenFilesSurviveOpenThenExportByteForByte) {
  for (const char* golden : {"three_frames", "quoted_values"}) {
    Hooks hooks;
    MainWindow w(hooks);
    const fs::path file = fs::path(ZOETRIX_TEST_DATA) / "project" / golden / "expected.ini";
    w.AnswerOpenFile(file.string());
    w.Click(res::IDC_OPEN_PROJECT);
    ASSERT_EQ(hooks.messages, QStringList{kImported}) << golden;
    w.dlg().ControlAs<QAbstractButton>(res::IDC_SAVE_PROJECT)->setChecked(true);
    w.Click(res::IDC_EXPORT);
    EXPECT_EQ(ReadFile(w.dlg().doc().m_export.m_strProjectPath), ReadFile(file)) << golden;
  }
}

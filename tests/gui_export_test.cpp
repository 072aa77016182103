// "开始导出" and "解除占用": what lands in Code/, Project/ and Animate/, and
// what the user is told.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <filesystem>

#include "platform/Clock.h"
#include "platform/Process.h"
#include "program/Compiler.h"
#include "program/Export.h"
#include "program/ProgramWriter.h"
#include "res/ControlIds.h"
#include "tests/GuiTestSupport.h"
#include "ui/framework/MessageBox.h"

using output::kCompileProblemMessage;
using output::kExportCompileQuestion;
using output::kReleaseNotOpen;
using output::kReleaseQuestion;
using output::MakeProgramBody;
using output::MakeProgramPrologue;
using output::ProgramBodyOptions;

using namespace guitest;
using testsupport::Gbk;
using testsupport::ReadFile;
namespace fs = std::filesystem;

namespace {

const platform::LocalTime kWhen{2019, 7, 5, 9, 3, 7};
const QString kDone = QString::fromUtf8("已导出。");

struct FixedClock {
  FixedClock() { platform::SetClockForTesting(kWhen); }
  ~FixedClock() { platform::SetClockForTesting(std::nullopt); }
};

void Tick(MainWindow& w, bool code, bool compile, bool project, bool endless) {
  const std::pair<int, bool> boxes[] = {{res::IDC_SAVE_CODE, code},
                                        {res::IDC_COMPILE, compile},
                                        {res::IDC_SAVE_PROJECT, project},
                                        {res::IDC_ENDLESS, endless}};
  for (auto [id, on] : boxes) w.dlg().ControlAs<QAbstractButton>(id)->setChecked(on);
}

std::string Prologue(const CZoetrixDlg& d) {
  return MakeProgramPrologue(d.doc().m_animation, kWhen);
}

std::string Body(const CZoetrixDlg& d, bool code, bool endless) {
  return MakeProgramBody(d.doc().m_animation, ProgramBodyOptions{code, endless});
}

const QStringList kTricky = {QString::fromUtf8("行一\n\"引号\" '单' \\ 反斜杠"), "50% %d",
                             QString::fromUtf8("乗嘰 \\n")};

}  // namespace

TEST(Export, NeedsAnAnimationAndAnOption) {
  Hooks hooks;
  MainWindow w(hooks);
  w.Click(res::IDC_EXPORT);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("还没有创建动画！请先创建动画！")});
  FixedClock clock;
  w.CreateWithFrames({"a"});
  hooks.messages.clear();
  w.Click(res::IDC_EXPORT);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("请选择至少一个导出选项！")});
  std::fflush(w.dlg().doc().m_export.m_pCodeFile.get());
  EXPECT_EQ(ReadFile(w.dlg().doc().m_export.m_strCodePath), Prologue(w.dlg()));
}

TEST(Export, ProjectOnlyWritesTheEndOfMainAndTheProjectAndKeepsTheFileOpen) {
  Hooks hooks;
  MainWindow w(hooks);
  FixedClock clock;
  w.CreateWithFrames({"a", "b"});
  Tick(w, false, false, true, false);
  hooks.messages.clear();
  w.Click(res::IDC_EXPORT);
  CZoetrixDlg& d = w.dlg();
  EXPECT_EQ(hooks.messages, QStringList{kDone});
  EXPECT_NE(d.doc().m_export.m_pCodeFile.get(), nullptr);
  EXPECT_EQ(ReadFile(d.doc().m_export.m_strCodePath), Prologue(d) + Body(d, false, false));
  const std::string project = ReadFile(d.doc().m_export.m_strProjectPath);
  EXPECT_NE(project.find("FrameNum=3\r\n"), std::string::npos);
  EXPECT_NE(project.find("Frame2=b\r\n"), std::string::npos);
}

TEST(Export, CodeAndEndlessWithoutCompilingGiveACompleteProgramOnDisk) {
  Hooks hooks;
  MainWindow w(hooks);
  FixedClock clock;
  w.CreateWithFrames(kTricky);
  Tick(w, true, false, false, true);
  w.Click(res::IDC_EXPORT);
  const CZoetrixDlg& d = w.dlg();
  EXPECT_NE(d.doc().m_export.m_pCodeFile.get(), nullptr);
  const std::string code = ReadFile(d.doc().m_export.m_strCodePath);
  EXPECT_EQ(code, Prologue(d) + Body(d, true, true));
  EXPECT_EQ(code.back(), '}');
}

TEST(Export, FramesNeverChangeWhateverWayTheExportEnds) {
  Hooks hooks;
  MainWindow w(hooks);
  FixedClock clock;
  w.CreateWithFrames(kTricky);
  std::vector<std::string> before;
  for (int i = 0; i < w.dlg().doc().FrameCount(); ++i)
    before.push_back(w.dlg().doc().m_animation.m_frames.At(i)->Text());
  struct Run {
    bool code, compile;
    int answer;
    const char* last;
  } runs[] = {{false, true, ui::IDOK, "进行编译必须要导出代码！"},
              {true, true, ui::IDCANCEL, "进行编译将解除代码文件的占用,是否继续？"},
              {true, false, ui::IDOK, "已导出。"}};
  for (const Run& r : runs) {
    hooks.messages.clear();
    hooks.answer = r.answer;
    Tick(w, r.code, r.compile, true, false);
    w.Click(res::IDC_EXPORT);
    ASSERT_FALSE(hooks.messages.isEmpty());
    EXPECT_EQ(hooks.messages.last(), QString::fromUtf8(r.last));
    EXPECT_NE(w.dlg().doc().m_export.m_pCodeFile.get(), nullptr) << r.last;
    for (int i = 0; i < w.dlg().doc().FrameCount(); ++i)
      EXPECT_EQ(w.dlg().doc().m_animation.m_frames.At(i)->Text(), before[static_cast<size_t>(i)])
          << r.last;
  }
}

TEST(Export, ASecondExportReplacesTheBodyAndAReleasedFileIsReopenedWithItsPrologue) {
  Hooks hooks;
  MainWindow w(hooks);
  FixedClock clock;
  w.CreateWithFrames({"one"});
  CZoetrixDlg& d = w.dlg();
  Tick(w, true, false, false, false);
  w.Click(res::IDC_EXPORT);
  w.SetText(res::IDC_EDIT_AREA, "two");
  w.Click(res::IDC_APPEND_BLANK);
  w.Click(res::IDC_EXPORT);
  EXPECT_EQ(ReadFile(d.doc().m_export.m_strCodePath), Prologue(d) + Body(d, true, false));

  hooks.messages.clear();
  w.Click(res::IDC_RELEASE_CODE);
  EXPECT_EQ(hooks.messages,
            (QStringList{QString::fromUtf8(kReleaseQuestion), QString::fromUtf8("已解除占用。")}));
  EXPECT_EQ(d.doc().m_export.m_pCodeFile.get(), nullptr);
  // The fields changed since creation; the prologue keeps the created values.
  w.SetText(res::IDC_NAME, "renamed");
  w.SetText(res::IDC_WIDE, "40");
  w.Click(res::IDC_EXPORT);
  EXPECT_NE(d.doc().m_export.m_pCodeFile.get(), nullptr);
  EXPECT_EQ(ReadFile(d.doc().m_export.m_strCodePath), Prologue(d) + Body(d, true, false));
  EXPECT_EQ(ReadFile(d.doc().m_export.m_strCodePath).find("renamed"), std::string::npos);
}

TEST(Release, CancelKeepsTheFileOpenAndWithoutAnOpenFileTheUserIsTold) {
  Hooks hooks;
  MainWindow w(hooks);
  w.Click(res::IDC_RELEASE_CODE);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8(kReleaseNotOpen)});
  w.Click(res::IDC_CREATE);
  hooks.messages.clear();
  hooks.answer = ui::IDCANCEL;
  w.Click(res::IDC_RELEASE_CODE);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8(kReleaseQuestion)});
  EXPECT_NE(w.dlg().doc().m_export.m_pCodeFile.get(), nullptr);
  EXPECT_EQ(w.dlg().doc().m_bCreated, 1);
}

TEST(Export, AFolderThatCannotBeWrittenIsReportedInsteadOfExported) {
  Hooks hooks;
  MainWindow w(hooks);
  FixedClock clock;
  w.CreateWithFrames({"a"});
  fs::remove_all(w.folder().path() / "Project");
  Tick(w, true, false, true, false);
  hooks.messages.clear();
  w.Click(res::IDC_EXPORT);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_NE(hooks.messages[0], kDone);

  // The code file closed and its folder gone: it cannot be made again.
  hooks.answer = ui::IDOK;
  w.Click(res::IDC_RELEASE_CODE);
  fs::remove_all(w.folder().path() / "Code");
  Tick(w, true, false, false, false);
  hooks.messages.clear();
  w.Click(res::IDC_EXPORT);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_TRUE(hooks.messages[0].contains(QString::fromUtf8("无法写入代码文件")));
}

TEST(Export, CompilerProblemsAreShownAndTheExportStillEnds) {
  Hooks hooks;
  MainWindow w(hooks);
  FixedClock clock;
  // A stand-in compiler that complains.
  const fs::path tcc = w.folder().path() / "tcc";
  testsupport::WriteFile(tcc, "#!/bin/sh\necho 'error: nothing works' >&2\nexit 1\n");
  fs::permissions(tcc, fs::perms::owner_all);
  w.CreateWithFrames({"a"});
  Tick(w, true, true, false, false);
  hooks.messages.clear();
  w.Click(res::IDC_EXPORT);
  EXPECT_EQ(hooks.messages, (QStringList{QString::fromUtf8(kExportCompileQuestion),
                                         QString::fromUtf8(kCompileProblemMessage), kDone}));
  EXPECT_EQ(w.dlg().doc().m_export.m_pCodeFile.get(), nullptr);
  EXPECT_FALSE(fs::exists(w.dlg().doc().m_export.m_strExePath));
}

TEST(Export, EndToEndTheCompiledProgramPlaysTheFramesAndTheProjectReopens) {
  Hooks hooks;
  MainWindow w(hooks);
  w.InstallConsoleLayer();
  FixedClock clock;
  CZoetrixDlg& d = w.dlg();
  w.SetText(res::IDC_FRAME_RATE, "50");
  w.SetText(res::IDC_NAME, QString::fromUtf8("三只猫"));
  w.CreateWithFrames({"cat one", "cat two", QString::fromUtf8("猫三")});
  Tick(w, true, true, true, false);
  hooks.messages.clear();
  w.Click(res::IDC_EXPORT);
  ASSERT_EQ(hooks.messages, (QStringList{QString::fromUtf8(kExportCompileQuestion),
                                         QString::fromUtf8("编译成功！"), kDone}));
  ASSERT_TRUE(fs::exists(d.doc().m_export.m_strExePath));
  EXPECT_FALSE(fs::exists(d.doc().m_export.m_strBuildPath));

  const platform::ProcessResult run =
      platform::RunProcess({d.doc().m_export.m_strExePath}, std::chrono::seconds(10));
  ASSERT_TRUE(run.started);
  const std::string& out = run.output;
  const size_t one = out.find("cat one"), two = out.find("cat two"), three = out.find("猫三");
  ASSERT_NE(one, std::string::npos) << out;
  ASSERT_NE(two, std::string::npos);
  ASSERT_NE(three, std::string::npos);
  EXPECT_LT(one, two);
  EXPECT_LT(two, three);

  // Opening the saved project in a fresh window gives the same animation.
  const std::string project = d.doc().m_export.m_strProjectPath;
  Hooks hooks2;
  MainWindow w2(hooks2);
  w2.AnswerOpenFile(project);
  w2.Click(res::IDC_OPEN_PROJECT);
  const CZoetrixDlg& e = w2.dlg();
  ASSERT_EQ(e.doc().FrameCount(), d.doc().FrameCount());
  for (int i = 0; i < d.doc().FrameCount(); ++i)
    EXPECT_EQ(e.doc().m_animation.m_frames.At(i)->Text(),
              d.doc().m_animation.m_frames.At(i)->Text());
  EXPECT_EQ(e.doc().m_animation.m_nRate, 50);
  EXPECT_EQ(e.doc().m_animation.m_strColor, "07");
  EXPECT_EQ(e.doc().m_animation.m_strAnimName, Gbk("三只猫"));
  EXPECT_EQ(e.doc().m_animation.m_nAnimWide, 80);
  EXPECT_EQ(e.doc().m_animation.m_nAnimHigh, 25);
}

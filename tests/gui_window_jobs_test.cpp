// The window's long work cancelled: sharing, "开始导出" and opening a
// project stopped part way leave the animation and the folders as they were
// (files an export finished before the cancel excepted), say so in the
// status line and nowhere else, and the next run goes as usual.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <filesystem>
#include <set>

#include "res/ControlIds.h"
#include "res/Texts.h"
#include "tests/GuiTestSupport.h"
#include "ui/framework/JobRunner.h"

using namespace guitest;
namespace fs = std::filesystem;

namespace {

constexpr int kShareGif = 48;
constexpr int kShareHtml = 32;

struct CancelAt {
  explicit CancelAt(std::uint64_t count) {
    ui::JobHooks hooks;
    hooks.started = [count](platform::JobProgress& job) { job.CancelAtAdvance(count); };
    ui::SetJobHooksForTesting(hooks);
  }
  ~CancelAt() { ui::SetJobHooksForTesting({}); }
};

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

std::vector<std::string> Texts(const CZoetrixDlg& d) {
  std::vector<std::string> texts;
  for (int i = 0; i < d.doc().FrameCount(); ++i) texts.push_back(d.doc().TextAt(i));
  return texts;
}

QString Status(MainWindow& w) { return w.Text(res::IDC_EDITING_STATUS); }

}  // namespace

TEST(WindowJobs, ACancelledShareLeavesAnimateAndTheAnimationAsTheyWere) {
  Hooks hooks;
  MainWindow w(hooks);
  w.MakeDrawnFrames(12);
  const fs::path animate = w.folder().path() / "Animate";
  const auto before = Names(animate);
  const auto frames = Texts(w.dlg());
  for (const int format : {kShareGif, kShareHtml}) {
    CancelAt cancel(5);
    hooks.messages.clear();
    w.dlg().OnSysCommand(format);
    EXPECT_TRUE(hooks.messages.isEmpty()) << hooks.messages.join("|").toStdString();
    EXPECT_EQ(Names(animate), before);
    EXPECT_EQ(Texts(w.dlg()), frames);
  }
  EXPECT_TRUE(Status(w).endsWith(QString::fromUtf8("（已取消：生成网页）")))
      << Status(w).toStdString();

  // Run to its end, it writes the page and says so; the note goes.
  hooks.messages.clear();
  w.dlg().OnSysCommand(kShareHtml);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_EQ(Names(animate).size(), before.size() + 1);
  EXPECT_FALSE(Status(w).contains(QString::fromUtf8("已取消")));
  EXPECT_TRUE(Status(w).startsWith(QString::fromUtf8("【↓动画制作区域↓】当前编辑：")));
}

TEST(WindowJobs, ACancelledExportKeepsOnlyTheStagesItFinishedAndTellsNothing) {
  Hooks hooks;
  MainWindow w(hooks);
  w.MakeDrawnFrames(12);
  w.dlg().ControlAs<QAbstractButton>(res::IDC_SAVE_CODE)->setChecked(true);
  w.dlg().ControlAs<QAbstractButton>(res::IDC_SAVE_PROJECT)->setChecked(true);
  const fs::path project = w.dlg().doc().m_export.m_strProjectPath;
  const auto frames = Texts(w.dlg());
  {
    // The code file's frames (12, and the one being drawn) are its stage;
    // the project's come next.
    CancelAt cancel(16);
    hooks.messages.clear();
    w.Click(res::IDC_EXPORT);
  }
  EXPECT_TRUE(hooks.messages.isEmpty()) << hooks.messages.join("|").toStdString();
  EXPECT_FALSE(fs::exists(project));
  EXPECT_EQ(Names(project.parent_path()), std::set<std::string>{});
  EXPECT_EQ(Texts(w.dlg()), frames);
  EXPECT_TRUE(Status(w).endsWith(QString::fromUtf8("（已取消：保存工程）")))
      << Status(w).toStdString();

  // Again without a cancel: the project and the closing message, as ever.
  hooks.messages.clear();
  w.Click(res::IDC_EXPORT);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("已导出。")});
  EXPECT_TRUE(fs::exists(project));
}

TEST(WindowJobs, ACancelledOpeningChangesNothing) {
  Hooks hooks;
  MainWindow w(hooks);
  w.MakeDrawnFrames(30);
  w.dlg().ControlAs<QAbstractButton>(res::IDC_SAVE_PROJECT)->setChecked(true);
  w.Click(res::IDC_EXPORT);
  const std::string saved = w.dlg().doc().m_export.m_strProjectPath;
  ASSERT_TRUE(fs::exists(saved));
  w.CreateWithFrames({"mine"});
  const auto frames = Texts(w.dlg());
  const std::string code = w.dlg().doc().m_export.m_strCodePath;
  {
    CancelAt cancel(10);
    w.AnswerOpenFile(saved);
    hooks.messages.clear();
    w.Click(res::IDC_OPEN_PROJECT);
  }
  // Only the question asked before the reading.
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8(res::kOpenReplaceQuestion)});
  EXPECT_EQ(Texts(w.dlg()), frames);
  EXPECT_EQ(w.dlg().doc().m_export.m_strCodePath, code);
  EXPECT_TRUE(Status(w).endsWith(QString::fromUtf8("（已取消：读取工程）")))
      << Status(w).toStdString();
}

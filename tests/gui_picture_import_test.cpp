// The system menu's "从图片或视频导入帧…": frames drawn from a picture file
// follow the animation's, keeping what the edit area held; cancelling the
// progress, a refused file or no file chosen change nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "res/ControlIds.h"
#include "tests/GuiTestSupport.h"
#include "tests/PictureMaker.h"
#include "ui/framework/FileDialog.h"
#include "ui/framework/JobRunner.h"

using guitest::Hooks;
using guitest::MainWindow;
using testpictures::Image;

namespace {

constexpr int kImportPictures = 112;

struct Answers {
  ~Answers() {
    ui::SetOpenFileResponderForTesting({});
    ui::SetJobHooksForTesting({});
  }
};

// Two pictures, 0.1 and 0.05 seconds: at 24 frames a second 3 + 1 frames.
std::string TwoPictureGif(const MainWindow& w) {
  Image left(60, 30, 0), right(60, 30, 0);
  left.Fill(0, 0, 20, 30, 255);
  right.Fill(40, 0, 60, 30, 255);
  const std::string path = (w.folder().path() / "two.gif").string();
  EXPECT_TRUE(testpictures::WriteGif(path, {left, right}, {10, 5}));
  return path;
}

}  // namespace

TEST(ImportPicturesMenu, AppendsTheDrawnFramesKeepingTheEditArea) {
  Hooks hooks;
  MainWindow w(hooks);
  Answers answers;
  w.CreateWithFrames({"one"});
  w.SetText(res::IDC_EDIT_AREA, "being drawn");
  w.AnswerOpenFile(TwoPictureGif(w));
  platform::JobProgress::Reading last;
  ui::SetJobHooksForTesting({{}, {}, [&](const platform::JobProgress& job) { last = job.Read(); }});
  hooks.messages.clear();
  w.dlg().OnSysCommand(kImportPictures);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("已导入！")});
  // A job of its own, named, that counted its frames.
  EXPECT_EQ(last.what, "转换画面");
  EXPECT_EQ(last.done, 4u);
  const auto& doc = w.dlg().doc();
  ASSERT_EQ(doc.FrameCount(), 6);
  EXPECT_EQ(doc.TextAt(0), "one");
  EXPECT_EQ(doc.TextAt(1), "being drawn");
  EXPECT_EQ(doc.TextAt(2), doc.TextAt(4));
  EXPECT_NE(doc.TextAt(4), doc.TextAt(5));
  // Drawn at the animation's size: the left picture's light third starts at
  // the canvas's left edge, 80 cells at most a line.
  const std::string first = doc.TextAt(2);
  EXPECT_LE(first.find("\r\n"), 80u);
  EXPECT_NE(first.substr(first.rfind("\r\n") + 2, 1), " ");
  EXPECT_EQ(w.Text(res::IDC_FRAME_TOTAL), "6");
  // One step, named for what it did.
  EXPECT_EQ(doc.m_history.NextUndo(), document::StepKind::kImportPictures);
}

TEST(ImportPicturesMenu, CancelRefusalAndNoFileLeaveEverything) {
  Hooks hooks;
  MainWindow w(hooks);
  Answers answers;
  w.CreateWithFrames({"one"});
  w.SetText(res::IDC_EDIT_AREA, "still drawing");
  const std::string gif = TwoPictureGif(w);

  // Cancelled at its first frame: nothing said but the status line.
  w.AnswerOpenFile(gif);
  platform::JobProgress::Reading last;
  ui::SetJobHooksForTesting({[](platform::JobProgress& job) { job.CancelAtAdvance(1); },
                             {},
                             [&](const platform::JobProgress& job) { last = job.Read(); }});
  hooks.messages.clear();
  w.dlg().OnSysCommand(kImportPictures);
  EXPECT_EQ(last.done, 3u);  // the first picture, held three frames
  EXPECT_TRUE(hooks.messages.isEmpty());
  EXPECT_EQ(w.dlg().doc().FrameCount(), 2);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), QString("still drawing"));
  EXPECT_TRUE(w.Text(res::IDC_EDITING_STATUS).endsWith(QString::fromUtf8("（已取消：转换画面）")))
      << w.Text(res::IDC_EDITING_STATUS).toStdString();
  ui::SetJobHooksForTesting({});

  // A damaged file: the decoder's reason, nothing changed.
  const std::string cut = (w.folder().path() / "cut.gif").string();
  testsupport::WriteFile(cut, testsupport::ReadFile(gif).substr(0, 20));
  w.AnswerOpenFile(cut);
  hooks.messages.clear();
  w.dlg().OnSysCommand(kImportPictures);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_TRUE(hooks.messages[0].startsWith(QString::fromUtf8("无法读取图片或视频")))
      << hooks.messages[0].toStdString();
  EXPECT_EQ(w.dlg().doc().FrameCount(), 2);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), QString("still drawing"));

  // A pipe named like a picture: refused before anything waits on it.
  const std::string pipe = (w.folder().path() / "p.gif").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  w.AnswerOpenFile(pipe);
  hooks.messages.clear();
  w.dlg().OnSysCommand(kImportPictures);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_TRUE(hooks.messages[0].contains(QString::fromUtf8("该路径不是一个普通文件。")))
      << hooks.messages[0].toStdString();
  EXPECT_EQ(w.dlg().doc().FrameCount(), 2);

  // No file chosen.
  w.AnswerOpenFile("");
  hooks.messages.clear();
  w.dlg().OnSysCommand(kImportPictures);
  EXPECT_TRUE(hooks.messages.isEmpty());
  EXPECT_EQ(w.dlg().doc().FrameCount(), 2);
}

TEST(ImportPicturesMenu, SeveralFilesFollowOneAnotherInNaturalOrder) {
  Hooks hooks;
  MainWindow w(hooks);
  Answers answers;
  w.CreateWithFrames({"one"});
  // Lit on the left, lit on the right: chosen in the other order.
  Image left(60, 30, 0), right(60, 30, 0);
  left.Fill(0, 0, 20, 30, 255);
  right.Fill(40, 0, 60, 30, 255);
  const std::string p2 = (w.folder().path() / "p2.png").string();
  const std::string p10 = (w.folder().path() / "p10.png").string();
  ASSERT_TRUE(testpictures::WritePng(p2, left));
  ASSERT_TRUE(testpictures::WritePng(p10, right));
  w.AnswerOpenFile(p10 + "\n" + p2);
  platform::JobProgress::Reading last;
  ui::SetJobHooksForTesting({{}, {}, [&](const platform::JobProgress& job) { last = job.Read(); }});
  hooks.messages.clear();
  w.dlg().OnSysCommand(kImportPictures);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("已导入！")});
  const auto& doc = w.dlg().doc();
  ASSERT_EQ(doc.FrameCount(), 4);
  const auto lastLineStart = [&](int frame) {
    const std::string text = doc.TextAt(frame);
    return text.substr(text.rfind("\r\n") + 2, 1);
  };
  EXPECT_NE(lastLineStart(2), " ");  // p2, lit on the left
  EXPECT_EQ(lastLineStart(3), " ");  // p10, dark on the left
  // Every frame counted, of the total the two files promised.
  EXPECT_EQ(last.done, 2u);
  EXPECT_EQ(last.total, 2u);
  EXPECT_EQ(doc.m_history.NextUndo(), document::StepKind::kImportPictures);
}

TEST(ImportPicturesMenu, SeveralFilesCancelledOrOneDamagedChangeNothing) {
  Hooks hooks;
  MainWindow w(hooks);
  Answers answers;
  w.CreateWithFrames({"one"});
  w.SetText(res::IDC_EDIT_AREA, "still drawing");
  const std::string gif = TwoPictureGif(w);
  const std::string png = (w.folder().path() / "a.png").string();
  ASSERT_TRUE(testpictures::WritePng(png, Image(30, 30, 255)));

  // Cancelled at the first frame: the other files are not read.
  w.AnswerOpenFile(gif + "\n" + png);
  platform::JobProgress::Reading last;
  ui::SetJobHooksForTesting({[](platform::JobProgress& job) { job.CancelAtAdvance(1); },
                             {},
                             [&](const platform::JobProgress& job) { last = job.Read(); }});
  hooks.messages.clear();
  w.dlg().OnSysCommand(kImportPictures);
  EXPECT_EQ(last.done, 1u);
  EXPECT_TRUE(hooks.messages.isEmpty());
  EXPECT_EQ(w.dlg().doc().FrameCount(), 2);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), QString("still drawing"));
  ui::SetJobHooksForTesting({});

  // The last of three damaged: its reason, and none of the others' frames.
  const std::string cut = (w.folder().path() / "z-cut.gif").string();
  testsupport::WriteFile(cut, testsupport::ReadFile(gif).substr(0, 20));
  w.AnswerOpenFile(cut + "\n" + gif + "\n" + png);
  hooks.messages.clear();
  w.dlg().OnSysCommand(kImportPictures);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_NE(hooks.messages[0].indexOf("z-cut.gif"), -1) << hooks.messages[0].toStdString();
  EXPECT_EQ(w.dlg().doc().FrameCount(), 2);
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), QString("still drawing"));
  EXPECT_TRUE(w.dlg().doc().m_history.NextUndo() != document::StepKind::kImportPictures);
}

// The system menu's sharing items and frames imported from a text file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QMenu>
#include <filesystem>

#include "HtmlPageReader.h"
#include "program/WindowsProgram.h"
#include "res/ControlIds.h"
#include "share/Share.h"
#include "tests/GuiTestSupport.h"
#include "ui/framework/FileDialog.h"

using output::kWindowsCompilerMissing;
using output::SetWindowsCompilerForTesting;

using guitest::Hooks;
using guitest::MainWindow;
using testsupport::Gbk;
using testsupport::ReadFile;
using testsupport::WriteFile;
namespace fs = std::filesystem;

namespace {

constexpr int kHtml = 32, kGif = 48, kCast = 64, kWindows = 80, kImportText = 96,
              kImportPictures = 112;

// The open-file dialog answers nothing unless a test says so.
struct OpenFileAnswers {
  ~OpenFileAnswers() { ui::SetOpenFileResponderForTesting({}); }
};

}  // namespace

TEST(ShareMenu, ItemsFollowAboutAndNeedAnAnimation) {
  Hooks hooks;
  MainWindow w(hooks);
  const auto& menu = w.dlg().SystemMenu();
  QStringList texts;
  for (const auto& entry : menu) texts << (entry.id == 0 ? QString("-") : entry.text);
  const int about = static_cast<int>(texts.indexOf(QString::fromUtf8("关于 Zoetrix(&A)...")));
  ASSERT_GE(about, 1);
  EXPECT_EQ(
      texts.mid(about - 1),
      QStringList(
          {"-", QString::fromUtf8("关于 Zoetrix(&A)..."), "-", QString::fromUtf8("导出为网页(&H)"),
           QString::fromUtf8("导出为 GIF 动画(&G)"), QString::fromUtf8("导出为 asciicast 录像(&C)"),
           QString::fromUtf8("编译为 Windows 程序(&W)"), QString::fromUtf8("从文本文件导入帧(&T)…"),
           QString::fromUtf8("从图片或视频导入帧…")}));

  OpenFileAnswers answers;
  int asked = 0;
  ui::SetOpenFileResponderForTesting([&](const QString&) {
    ++asked;
    return QString();
  });
  for (int id : {kHtml, kGif, kCast, kWindows, kImportText, kImportPictures}) {
    hooks.messages.clear();
    w.dlg().OnSysCommand(id);
    EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("还没有创建动画！请先创建动画！")})
        << id;
  }
  EXPECT_EQ(asked, 0);
  EXPECT_TRUE(fs::is_empty(w.folder().path() / "Animate"));
}

// The picture being drawn is stored first, as the export does, and the
// file is named after the animation's files.
TEST(ShareMenu, WritesIntoAnimateAndSaysWhere) {
  Hooks hooks;
  MainWindow w(hooks);
  w.CreateWithFrames({"first"});
  w.SetText(res::IDC_EDIT_AREA, QString::fromUtf8("drawn 中"));  // not yet stored
  const std::string stamp = fs::path(w.dlg().doc().m_export.m_strExePath).stem().string();

  // Through the menu as the user opens it.
  w.Key(res::IDC_HIGH, Qt::Key_Space, Qt::AltModifier);
  auto* popup = w.dlg().findChild<QMenu*>("systemMenu");
  ASSERT_NE(popup, nullptr);
  QAction* html = nullptr;
  for (QAction* a : popup->actions())
    if (a->text() == QString::fromUtf8("导出为网页(&H)")) html = a;
  ASSERT_NE(html, nullptr);
  hooks.messages.clear();
  html->trigger();
  const fs::path page = w.folder().path() / "Animate" / (stamp + ".html");
  ASSERT_TRUE(fs::exists(page));
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_TRUE(hooks.messages[0].startsWith(QString::fromUtf8("已导出为网页：\n")));
  EXPECT_TRUE(hooks.messages[0].contains(QString::fromStdString(page.string())));
  EXPECT_NE(testsupport::PicturesOf(ReadFile(page)).find("drawn 中"), std::string::npos);
  EXPECT_EQ(w.dlg().doc().m_animation.m_frames.Last().Text(), Gbk("drawn 中"));

  for (int id : {kGif, kCast}) w.dlg().OnSysCommand(id);
  EXPECT_TRUE(fs::exists(w.folder().path() / "Animate" / (stamp + ".gif")));
  EXPECT_NE(ReadFile(w.folder().path() / "Animate" / (stamp + ".cast")).find("drawn"),
            std::string::npos);

  // The writer's own message when it cannot write.
  fs::remove_all(w.folder().path() / "Animate");
  hooks.messages.clear();
  w.dlg().OnSysCommand(kCast);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_TRUE(hooks.messages[0].contains(QString::fromUtf8("无法创建文件")))
      << hooks.messages[0].toStdString();

  SetWindowsCompilerForTesting("zoetrix-no-such-cross-compiler");
  hooks.messages.clear();
  w.dlg().OnSysCommand(kWindows);
  SetWindowsCompilerForTesting({});
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8(kWindowsCompilerMissing)});
}

// Exporting again from the window updates the page; a file someone else
// put at its name since is left as it is, and the message says so.
TEST(ShareMenu, ExportingAgainUpdatesOnlyTheAnimationsOwnFile) {
  Hooks hooks;
  MainWindow w(hooks);
  w.CreateWithFrames({"first"});
  const std::string page = output::SharePath(w.dlg().doc().m_export, output::ShareFormat::Html);
  w.dlg().OnSysCommand(kHtml);
  w.SetText(res::IDC_EDIT_AREA, "second");
  w.dlg().OnSysCommand(kHtml);
  EXPECT_NE(testsupport::PicturesOf(ReadFile(page)).find("second"), std::string::npos);

  fs::remove(page);
  WriteFile(page, "someone else's");
  hooks.messages.clear();
  w.dlg().OnSysCommand(kHtml);
  ASSERT_EQ(hooks.messages.size(), 1);
  // The page was this animation's until replaced: the message says so.
  EXPECT_EQ(hooks.messages[0].toStdString(), res::Format(res::kExportTargetChanged, {page}));
  EXPECT_EQ(ReadFile(page), "someone else's");
  EXPECT_EQ(std::distance(fs::directory_iterator(w.folder().path() / "Animate"), {}), 1);
}

TEST(ImportTextMenu, AppendsTheFileFramesKeepingTheEditArea) {
  Hooks hooks;
  MainWindow w(hooks);
  OpenFileAnswers answers;
  w.CreateWithFrames({"one"});
  w.SetText(res::IDC_EDIT_AREA, "being drawn");  // the last frame, not yet stored
  const std::string file = (w.folder().path() / "frames.txt").string();
  WriteFile(file, "a\r\nb\n\f\n\xE4\xB8\xAD\n");  // UTF-8
  w.AnswerOpenFile(file);
  hooks.messages.clear();
  w.dlg().OnSysCommand(kImportText);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("已导入！")});
  ASSERT_EQ(w.dlg().doc().FrameCount(), 4);
  EXPECT_EQ(w.dlg().doc().TextAt(0), "one");
  EXPECT_EQ(w.dlg().doc().TextAt(1), "being drawn");
  EXPECT_EQ(w.dlg().doc().TextAt(2), "a\r\nb");
  EXPECT_EQ(w.dlg().doc().TextAt(3), Gbk("中"));
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA),
            QString::fromUtf8("中"));  // the last frame is the one edited
  EXPECT_EQ(w.Text(res::IDC_FRAME_TOTAL), "4");

  // Refused: the message names the place; nothing changes.
  WriteFile(file, "ok\n\f\nx\xF0\x9F\x98\x80\n");
  hooks.messages.clear();
  w.dlg().OnSysCommand(kImportText);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_TRUE(hooks.messages[0].contains(QString::fromUtf8("第 3 行第 2 列")))
      << hooks.messages[0].toStdString();
  EXPECT_EQ(w.dlg().doc().FrameCount(), 4);

  // A file that cannot be read, and Cancel.
  w.AnswerOpenFile((w.folder().path() / "missing.txt").string());
  hooks.messages.clear();
  w.dlg().OnSysCommand(kImportText);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_TRUE(hooks.messages[0].startsWith(QString::fromUtf8("无法读取文本文件")));
  w.AnswerOpenFile("");
  hooks.messages.clear();
  w.dlg().OnSysCommand(kImportText);
  EXPECT_TRUE(hooks.messages.isEmpty());
  EXPECT_EQ(w.dlg().doc().FrameCount(), 4);
}

// A form feed inside a line breaks the frame in the window too; a refused
// file (a control, too many frames, a device or a pipe, which could keep the
// window waiting for ever) changes nothing the user had: the frames, and
// what is being drawn.
TEST(ImportTextMenu, FormFeedsBreakFramesAndRefusalsKeepEverything) {
  Hooks hooks;
  MainWindow w(hooks);
  OpenFileAnswers answers;
  w.CreateWithFrames({"one"});
  const std::string file = (w.folder().path() / "frames.txt").string();
  WriteFile(file, "a\fb\n");
  w.AnswerOpenFile(file);
  hooks.messages.clear();
  w.dlg().OnSysCommand(kImportText);
  EXPECT_EQ(hooks.messages, QStringList{QString::fromUtf8("已导入！")});
  ASSERT_EQ(w.dlg().doc().FrameCount(), 4);
  EXPECT_EQ(w.dlg().doc().TextAt(2), "a");
  EXPECT_EQ(w.dlg().doc().TextAt(3), "b");

  w.SetText(res::IDC_EDIT_AREA, "still drawing");
  const std::string pipe = (w.folder().path() / "pipe").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);  // nobody ever writes to it
  const struct {
    std::string path, content;
    const char* message;
  } refused[] = {
      {file, "x\n\f\ny\x1B[31mz\n", "第 3 行第 2 列有控制字符 U+001B"},
      {file, std::string(1000000, '\f'), "文本文件中的帧超过了上限 1000000 帧，无法导入。"},
      {"/dev/zero", "", "该路径不是一个普通文件。"},
      {pipe, "", "该路径不是一个普通文件。"},
  };
  for (const auto& r : refused) {
    if (!r.content.empty()) WriteFile(r.path, r.content);
    w.AnswerOpenFile(r.path);
    hooks.messages.clear();
    w.dlg().OnSysCommand(kImportText);
    ASSERT_EQ(hooks.messages.size(), 1) << r.message;
    EXPECT_TRUE(hooks.messages[0].contains(QString::fromUtf8(r.message)))
        << hooks.messages[0].toStdString();
    EXPECT_FALSE(hooks.messages[0].contains(QChar(0x1B)));
    EXPECT_EQ(w.dlg().doc().FrameCount(), 4);
    EXPECT_EQ(w.dlg().doc().TextAt(3), "b");
    EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), QString("still drawing"));
  }
}

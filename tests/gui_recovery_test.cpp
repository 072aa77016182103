// The recovery copy seen from the main window: kept while the animation has
// unexported changes, gone after an export or the exit question, offered
// once at the next start after a crash.
#include <gtest/gtest.h>
#include <QComboBox>

#include "output/ProjectFile.h"
#include "output/RecoveryCopy.h"
#include "res/ControlIds.h"
#include "tests/GuiTestSupport.h"
#include "ui/framework/MessageBox.h"

using output::ProjectReadResult;
using output::ReadProjectFile;

namespace fs = std::filesystem;
using namespace guitest;

namespace {

// Brings the copy up to date as the timer would, and waits for the write.
void Save(CZoetrixDlg& d) {
  d.SaveRecoveryCopy();
  d.Recovery()->Wait();
}

// A copy left by a run that was killed: its lock file is not held.
void LeaveCrashedCopy(const fs::path& folder) {
  testsupport::WriteFile(folder / "data" / "Recovery-999999.ini",
                         "[AnimatedProperties]\r\nName=crashed\r\nWide=30\r\nHigh=11\r\n"
                         "Color=2E\r\nFrameRate=5\r\nFrameNum=3\r\n[AnimatePicture]\r\n"
                         "Frame1=one\r\nFrame2=two\\nlines\r\nFrame3=typed\r\n");
  testsupport::WriteFile(folder / "data" / "Recovery-999999.lock", "");
}

}  // namespace

TEST(Recovery, KeptWhileChangedWithTheTypingGoneAfterExportAndExit) {
  Hooks hooks;
  MainWindow w(hooks);
  CZoetrixDlg& d = w.dlg();
  const fs::path copy = d.Recovery()->Path();
  EXPECT_EQ(copy.parent_path(), w.folder().path() / "data");
  EXPECT_TRUE(d.HasTimer(CZoetrixDlg::kTimerRecovery));
  Save(d);
  EXPECT_FALSE(fs::exists(copy));  // no animation
  w.Click(res::IDC_CREATE);
  Save(d);
  EXPECT_FALSE(fs::exists(copy));  // a new blank animation holds nothing to lose

  w.SetText(res::IDC_EDIT_AREA, "first");
  w.Click(res::IDC_APPEND_BLANK);
  w.SetText(res::IDC_EDIT_AREA, "being typed");
  Save(d);
  ProjectReadResult read = ReadProjectFile(copy);
  ASSERT_TRUE(read.ok()) << read.error;
  ASSERT_EQ(read.data.frames.size(), 2u);
  EXPECT_EQ(*read.data.frames[0], "first");
  EXPECT_EQ(*read.data.frames[1], "being typed");

  // Exporting a project: nothing is left to recover.
  w.Click(res::IDC_SAVE_PROJECT);  // "保存工程"
  w.Click(res::IDC_EXPORT);
  ASSERT_TRUE(fs::exists(d.doc().m_strProjectPath));
  EXPECT_FALSE(fs::exists(copy));
  Save(d);
  EXPECT_FALSE(fs::exists(copy));
  w.SetText(res::IDC_EDIT_AREA, "more");
  Save(d);
  EXPECT_TRUE(fs::exists(copy));

  hooks.answer = ui::IDOK;
  w.Click(res::IDC_EXIT);  // the exit question
  EXPECT_FALSE(w.dlg().isVisible());
  EXPECT_FALSE(fs::exists(copy));
}

TEST(Recovery, ACrashedRunsCopyIsOfferedAndOpened) {
  Hooks hooks;
  MainWindow w(hooks, LeaveCrashedCopy);
  CZoetrixDlg& d = w.dlg();
  ASSERT_GE(hooks.messages.size(), 2);
  EXPECT_TRUE(hooks.messages[0].contains(QString::fromUtf8("恢复副本")));
  EXPECT_TRUE(hooks.messages[0].contains("crashed"));
  EXPECT_EQ(hooks.messageTypes[0], ui::MB_OKCANCEL);
  EXPECT_EQ(hooks.messages[1], QString::fromUtf8("已导入！"));
  EXPECT_EQ(d.doc().m_bCreated, 1);
  EXPECT_EQ(d.doc().m_strAnimName, "crashed");
  EXPECT_EQ(d.doc().m_nAnimWide, 30);
  EXPECT_EQ(d.doc().m_nAnimHigh, 11);
  EXPECT_EQ(d.doc().m_strColor, "2E");
  EXPECT_EQ(d.doc().m_nRate, 5);
  ASSERT_EQ(d.doc().FrameCount(), 3);
  EXPECT_EQ(d.doc().m_frames.At(1)->Text(), "two\r\nlines");
  EXPECT_EQ(w.Text(res::IDC_EDIT_AREA), "typed");
  EXPECT_TRUE(fs::exists(d.doc().m_strCodePath));
  // The copy is now this run's own, and asked about only once.
  EXPECT_FALSE(fs::exists(w.folder().path() / "data" / "Recovery-999999.ini"));
  EXPECT_TRUE(fs::exists(d.Recovery()->Path()));
  hooks.messages.clear();
  d.OfferRecoveryCopy();
  EXPECT_TRUE(hooks.messages.isEmpty());
}

TEST(Recovery, DecliningTheOfferDeletesTheCopy) {
  Hooks hooks;
  hooks.answer = ui::IDCANCEL;
  MainWindow w(hooks, LeaveCrashedCopy);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_EQ(w.dlg().doc().m_bCreated, 0);
  EXPECT_FALSE(fs::exists(w.folder().path() / "data" / "Recovery-999999.ini"));
}

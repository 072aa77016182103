// The preview-mode settings and the folder shortcuts.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QComboBox>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/ProgramFolder.h"
#include "platform/Shell.h"
#include "res/ControlIds.h"
#include "tests/GuiTestSupport.h"
#include "ui/framework/MessageBox.h"

using namespace guitest;
namespace fs = std::filesystem;

namespace {

// Opens the settings, notes whether the box is ticked, sets it, and presses
// the button given.
bool RunSettings(MainWindow& w, Hooks& hooks, std::optional<bool> tick, int button) {
  bool shown = false;
  hooks.onDialog = [&](QDialog& dialog) {
    auto& d = static_cast<ui::ZDialog&>(dialog);
    auto* box = d.ControlAs<QAbstractButton>(res::IDC_MODE_PREVIEW_FOLLOWS);
    shown = box->isChecked();
    if (tick) box->setChecked(*tick);
    d.ControlAs<QAbstractButton>(button)->click();
  };
  w.Click(res::IDC_SETTINGS);
  return shown;
}

std::string Settings(MainWindow& w) {
  const fs::path p = w.folder().path() / "data" / "Settings.ini";
  return fs::exists(p) ? testsupport::ReadFile(p) : std::string("(none)");
}

}  // namespace

TEST(Settings, TheBoxShowsTheSettingAndSavingWritesIt) {
  Hooks hooks;
  MainWindow w(hooks);
  EXPECT_TRUE(RunSettings(w, hooks, std::nullopt, ui::IDCANCEL));  // no file: on
  EXPECT_EQ(Settings(w), "(none)");
  RunSettings(w, hooks, std::nullopt, ui::IDOK);
  EXPECT_EQ(Settings(w), "[Frame]\r\nNewFrame=1\r\n");
  RunSettings(w, hooks, false, ui::IDOK);
  EXPECT_EQ(Settings(w), "[Frame]\r\nNewFrame=0\r\n");
  EXPECT_FALSE(RunSettings(w, hooks, true, ui::IDCANCEL));
  EXPECT_EQ(Settings(w), "[Frame]\r\nNewFrame=0\r\n");
  EXPECT_TRUE(hooks.messages.isEmpty());
}

// Any value but 1 leaves the preview alone, and the box says so.
TEST(Settings, TheBoxShowsTheValueFoundAtStart) {
  struct Case {
    const char* value;
    bool ticked;
  } cases[] = {{"2", false}, {"0", false},  {"-1", false}, {"abc", false},
               {"1", true},  {"'1'", true}, {"01", true},  {"", true}};
  for (const Case& c : cases) {
    Hooks hooks;
    MainWindow w(hooks, [&](const fs::path& tool) {
      testsupport::WriteFile(tool / "data" / "Settings.ini",
                             std::string("[Frame]\r\nNewFrame=") + c.value + "\r\n");
    });
    EXPECT_EQ(RunSettings(w, hooks, std::nullopt, ui::IDCANCEL), c.ticked) << c.value;
    EXPECT_TRUE(hooks.messages.isEmpty());
  }
}

// The refresh and the box go by the settings read at start and chosen
// since, not by the file: a file changed or made unreadable behind the
// window's back changes nothing until the next start.
TEST(Settings, AValuePresentAtStartHoldsWhenTheFileGoes) {
  Hooks hooks;
  MainWindow w(hooks, [](const fs::path& tool) {
    testsupport::WriteFile(tool / "data" / "Settings.ini", "[Frame]\r\nNewFrame=0\r\n");
  });
  fs::remove(w.folder().path() / "data" / "Settings.ini");  // would read as 1: following
  w.PretendCreated();
  for (const char* text : {"a", "b", "c"}) {
    w.SetText(res::IDC_EDIT_AREA, text);
    w.Click(res::IDC_APPEND_BLANK);
  }
  EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "");
  EXPECT_EQ(w.dlg().m_comboPreview->currentIndex(), -1);
  EXPECT_FALSE(RunSettings(w, hooks, std::nullopt, ui::IDCANCEL));
  EXPECT_EQ(Settings(w), "(none)");
}

TEST(Settings, TheChoiceTakesEffectWithoutTheFileBeingReadAgain) {
  const fs::path file = fs::path("data") / "Settings.ini";
  {
    // Turned off, then the file made unreadable (which would read as on).
    Hooks hooks;
    MainWindow w(hooks);
    w.PretendCreated();
    w.SetText(res::IDC_EDIT_AREA, "a");
    w.Click(res::IDC_APPEND_BLANK);
    ASSERT_EQ(w.Text(res::IDC_PREVIEW_AREA), "a");
    RunSettings(w, hooks, false, ui::IDOK);
    ASSERT_EQ(Settings(w), "[Frame]\r\nNewFrame=0\r\n");
    fs::remove(w.folder().path() / file);
    fs::create_directory(w.folder().path() / file);
    for (const char* text : {"b", "c"}) {
      w.SetText(res::IDC_EDIT_AREA, text);
      w.Click(res::IDC_APPEND_BLANK);
    }
    EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "a");
    EXPECT_FALSE(RunSettings(w, hooks, std::nullopt, ui::IDCANCEL));
    // Saving into the unreadable file fails, and the setting stays as it was.
    RunSettings(w, hooks, true, ui::IDOK);
    ASSERT_EQ(hooks.messages.size(), 1);
    EXPECT_TRUE(hooks.messages[0].contains(QString::fromUtf8("无法保存设置")));
    w.SetText(res::IDC_EDIT_AREA, "d");
    w.Click(res::IDC_APPEND_BLANK);
    EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "a");
    EXPECT_FALSE(RunSettings(w, hooks, std::nullopt, ui::IDCANCEL));
  }
  {
    // Turned on from a file that said off, then the file set back to off.
    Hooks hooks;
    MainWindow w(hooks, [&](const fs::path& tool) {
      testsupport::WriteFile(tool / file, "[Frame]\r\nNewFrame=0\r\n");
    });
    w.PretendCreated();
    w.SetText(res::IDC_EDIT_AREA, "a");
    w.Click(res::IDC_APPEND_BLANK);
    ASSERT_EQ(w.Text(res::IDC_PREVIEW_AREA), "");
    EXPECT_FALSE(RunSettings(w, hooks, true, ui::IDOK));
    ASSERT_EQ(Settings(w), "[Frame]\r\nNewFrame=1\r\n");
    w.WriteSettings("[Frame]\r\nNewFrame=0\r\n");
    w.SetText(res::IDC_EDIT_AREA, "b");
    w.Click(res::IDC_APPEND_BLANK);
    EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "b");
    EXPECT_TRUE(RunSettings(w, hooks, std::nullopt, ui::IDCANCEL));
    EXPECT_TRUE(hooks.messages.isEmpty());
  }
}

TEST(Settings, AMissingDataFolderIsReported) {
  Hooks hooks;
  MainWindow w(hooks);
  fs::remove_all(w.folder().path() / "data");
  RunSettings(w, hooks, false, ui::IDOK);
  ASSERT_EQ(hooks.messages.size(), 1);
  EXPECT_TRUE(hooks.messages[0].contains(QString::fromUtf8("无法保存设置")));
}

TEST(Folders, EachShortcutOpensItsFolderBesideTheTool) {
  Hooks hooks;
  MainWindow w(hooks);
  std::vector<std::string> opened;
  platform::SetShellOpenHookForTesting([&](const std::string& t) { opened.push_back(t); });
  hooks.onDialog = [](QDialog& dialog) {
    auto& d = static_cast<ui::ZDialog&>(dialog);
    for (int id :
         {res::IDC_OPEN_CODE_FOLDER, res::IDC_OPEN_ANIMATE_FOLDER, res::IDC_OPEN_PROJECT_FOLDER})
      d.ControlAs<QAbstractButton>(id)->click();
    EXPECT_TRUE(d.isVisible());  // stays open for the next one
    d.done(ui::IDCANCEL);
  };
  w.Click(res::IDC_OPEN_FOLDERS);
  const std::string f = w.folder().folder();
  EXPECT_EQ(opened, (std::vector<std::string>{f + "Code/", f + "Animate/", f + "Project/"}));

  opened.clear();
  hooks.answer = ui::IDCANCEL;
  w.Click(res::IDC_OPEN_SETTINGS_FOLDER);
  EXPECT_TRUE(opened.empty());
  hooks.answer = ui::IDOK;
  w.Click(res::IDC_OPEN_SETTINGS_FOLDER);
  EXPECT_EQ(opened, std::vector<std::string>{f + "data/"});
  EXPECT_EQ(hooks.messages.last(), QString::fromUtf8("确实要打开配置文件存储目录？"));
}

// The refresh keeps the work folder it found, and the settings dialog finds
// it afresh: once the tool's folder has turned read-only, the setting saved
// into the user's folder is the one the next refresh reads.
TEST(Settings, TheRefreshReadsWhereTheDialogSaved) {
  testsupport::TempDir xdg("zoetrix-xdg");
  const char* old = std::getenv("XDG_DATA_HOME");
  const std::string oldValue = old ? old : "";
  ::setenv("XDG_DATA_HOME", xdg.path().c_str(), 1);
  {
    Hooks hooks;
    MainWindow w(hooks);
    w.PretendCreated(24);
    w.SetText(res::IDC_EDIT_AREA, "a");
    w.Click(res::IDC_APPEND_BLANK);  // a refresh in the tool's own folder
    ASSERT_EQ(w.Text(res::IDC_PREVIEW_AREA), "a");
    const std::string tool = w.folder().folder();
    platform::SetWritableCheckForTesting([&](const std::string& f) { return f != tool; });
    RunSettings(w, hooks, false, ui::IDOK);
    EXPECT_EQ(testsupport::ReadFile(xdg.folder() + "zoetrix/data/Settings.ini"),
              "[Frame]\r\nNewFrame=0\r\n");
    EXPECT_EQ(Settings(w), "(none)");
    w.SetText(res::IDC_EDIT_AREA, "b");
    w.Click(res::IDC_APPEND_BLANK);
    w.SetText(res::IDC_EDIT_AREA, "c");
    w.Click(res::IDC_APPEND_BLANK);
    // Preview mode off: the preview area stays on the frame it showed.
    EXPECT_EQ(w.Text(res::IDC_PREVIEW_AREA), "a");
  }
  platform::SetWritableCheckForTesting({});
  if (old) {
    ::setenv("XDG_DATA_HOME", oldValue.c_str(), 1);
  } else {
    ::unsetenv("XDG_DATA_HOME");
  }
}

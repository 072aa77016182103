#pragma once
// The main window. It holds the animation document and routes every
// command of its controls and accelerator keys to a handler.
#include <QIcon>
#include <QList>
#include <QRect>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/AnimationDocument.h"
#include "document/Settings.h"
#include "platform/JobProgress.h"
#include "playback/PlaybackClock.h"
#include "ui/framework/ZDialog.h"

namespace document {
struct AnimationPaths;
}  // namespace document
namespace output {
class RecoveryCopy;
struct ProjectReadResult;
}  // namespace output
class QComboBox;
class QMenu;
class QProgressBar;
class QSlider;
namespace ui {
class AcceleratorTable;
class CharCanvas;
class FrameItemsModel;
class FrameStrip;
}  // namespace ui

class CZoetrixDlg : public ui::ZDialog {
  Q_OBJECT
 public:
  static constexpr int kTimerPlayback = 0;
  static constexpr int kTimerStartupTips = 1;
  static constexpr int kTimerRecovery = 2;
  // How often the recovery copy is brought up to date, in milliseconds.
  static constexpr int kRecoveryInterval = 3000;

  explicit CZoetrixDlg(QWidget* parent = nullptr);
  ~CZoetrixDlg() override;

  void OnCommand(int id, ui::Notify notify) override;
  void OnSysCommand(int id) override;

  // Rebuilds the frame selectors and figures after the frame list changed.
  void RefreshFrameControls();

  // Command handlers.
  void OnAppendBlankFrame();
  void OnCreateAnimation();
  void ShowPreviewFrame();
  void ShowEditFrame();
  void OnPreviewPrev();
  void OnPreviewNext();
  void OnEditPrev();
  void OnEditNext();
  void OnPreviewSelChange();
  void OnEditSelChange();
  void OnSaveFrame();
  void OnShowProperties();
  void OnAddKeyFrame();
  void OnFillSecond();
  void OnFillHalfSecond();
  void OnAddDelayFrames();
  void StoreAndCopyLastFrame(int count, document::StepKind kind);
  // The frames the two areas show, for the next step of the history.
  void NoteShownAreas();
  void OnPlayFromStart();
  void OnPlayFromCurrent();
  void OnPause();
  void OnPlaybackTick();
  void OnSliderReleased();
  void OnDeleteLastFrame();
  void OnDeleteOptions();
  void OnSettings();
  void OnOpenFolders();
  void OnOpenSettingsFolder();
  void OnExport();
  void OnReleaseCodeFile();
  void OnOpenProject();
  void OnHelp();
  void OnAbout();
  void OnWebsite();
  void OnExplain(int buttonId);
  // The system menu's sharing and import items (ZoetrixDlgShare.cpp).
  void AppendShareMenu();
  bool OnShareCommand(int sysCommand);
  void OnShare(document::ShareFormat format);
  void OnImportTextFrames();
  void OnImportPictureFrames();  // ZoetrixDlgPictures.cpp

  // A project named on the command line (or by the desktop's "open with"):
  // opened once the window is up, as "打开" opens one without "叠加".
  void OpenAtStart(const std::filesystem::path& project) { m_startProject = project; }

  // The recovery copy: written in the background when the animation has
  // changed since the last write (the timer asks every few seconds), and
  // offered at start-up when an earlier run left one.
  void SaveRecoveryCopy();
  void OfferRecoveryCopy();
  output::RecoveryCopy* Recovery() { return m_recovery.get(); }
  // SIGTERM, SIGINT and SIGHUP end the window without the exit question,
  // as a crash would but in order: the recovery copy brought up to date and
  // kept for the next start, the lock given up. fd is the end of the
  // signal pipe to watch (platform::CatchEndSignals).
  void EndOnSignals(int fd);
  // The signal that ended the window; 0 when none did.
  int EndedBySignal() const { return m_endSignal; }

  // The edit area's canvas and the preview's (ZoetrixDlgCanvas.cpp).
  ui::CharCanvas* EditCanvas() const;
  ui::CharCanvas* PreviewCanvas() const;

  // Shaping the sequence (ZoetrixDlgSequence.cpp): each command acts on the
  // frame the edit area shows, or on the block a command of the strip names.
  void OnSequence(int id);
  void OnFrameStrip();
  ui::FrameStrip* Strip() const { return m_strip; }
  void RunFromStrip(int id, int first, int count);
  // The strip's click and drag: the edit area goes to a frame, as a choice in
  // its selector; a block moves so that it starts at position to.
  void ShowInEditArea(int position);
  void MoveFrames(int first, int count, int to);
  // The edit area's context menu, made afresh (the caller owns it).
  QMenu* MakeEditAreaMenu();
  // Undo, redo and the frame commands as menu items, each raising run with
  // its command id.
  void AddFrameCommands(QMenu& menu, const std::function<void(int)>& run) const;
  // The menu texts of undo and redo: what Ctrl+Z and Ctrl+Y would take back.
  QString UndoMenuText() const;
  QString RedoMenuText() const;

  // Undo and redo (ZoetrixDlgUndo.cpp): typing in the edit area first, then
  // the frame steps of the history.
  void OnUndo();
  void OnRedo();
  // The edit area's own undo of typing; false when it has none left.
  bool UndoInEditArea();
  bool RedoInEditArea();
  bool EditAreaCanUndo() const;
  bool EditAreaCanRedo() const;
  // The edit area's own undo emptied: what it held belongs to a frame step.
  void ForgetEditAreaUndo();

  // The animation the window shows and edits.
  document::AnimationDocument& doc() { return m_doc; }
  const document::AnimationDocument& doc() const { return m_doc; }

  // Controls attached by the data exchange.
  QProgressBar* m_progress = nullptr;
  QSlider* m_slider = nullptr;
  QComboBox* m_comboEdit = nullptr;
  QComboBox* m_comboPreview = nullptr;
  QComboBox* m_comboCharColor = nullptr;
  QComboBox* m_comboBackColor = nullptr;

  QIcon m_hIcon;
  const ui::AcceleratorTable* m_hAccel = nullptr;
  // The client area, then each control, in screen coordinates, captured once
  // at start-up: every resize places the controls from it afresh.
  QList<QRect> m_layout;

 protected:
  bool OnInitDialog() override;
  void OnInitSystemMenu() override;
  void DoDataExchange(ui::CDataExchange& dx) override;
  void OnCancel() override;
  void OnTimer(int id) override;
  void resizeEvent(QResizeEvent* event) override;
  void OnSize();

 private:
  void FillColorLists();
  void CaptureLayout();
  bool RequireAnimation();
  void StartPlayback(int position);
  void SetProgressRange(int maximum);
  void EraseFrames(const std::function<void()>& erase);
  bool OpenProjectAppending(const std::filesystem::path& path);
  bool OpenProjectReplacing(const std::filesystem::path& path);
  bool ReadProjectJob(const std::filesystem::path& path, output::ProjectReadResult& read);
  bool ReplaceWithProjectAnimation(document::Animation& project);
  void FinishOpening(bool nothingToRecover = false, const std::filesystem::path& opened = {});
  void OpenStartProject();
  void ShowProjectInTitle(const std::filesystem::path& project);
  bool KeepEditText();
  // Long work off the window's thread (ZoetrixDlgJobs.cpp). work returns
  // false when it stopped on a cancel; so does this, and the status line
  // then says so.
  bool RunWindowJob(const char* what, const std::function<bool(platform::JobProgress&)>& work);
  void ShowJobNote(const QString& note);
  // False after telling the user that one of the paths is no plain file.
  bool OnlyFiles(const std::vector<std::string>& paths, const char* unreadable);
  void SetUpCanvases();
  void UpdateCanvasLook();
  void NoteStoredFrame(int position);
  void NoteFramesBeyondCanvas();
  // The picture traced behind the canvas, kept per project file name.
  std::string TraceKey() const;
  void LoadTrace();
  void SaveTrace();
  void ChooseTrace();
  bool EditAreaText(std::string& text);
  void MarkRecoverySaved(const std::filesystem::path& project = {});
  void StartRecovery();
  void EndRecovery(bool userConfirmedExit);
  void EndWithoutQuestion(int signal);
  bool StartCodeFile(const document::Animation& animation, const platform::LocalTime& created,
                     document::AnimationPaths* paths);
  void ShowTextAt(QComboBox* selector, std::string& text);
  bool GoToFrame(int document::AnimationDocument::*number, QComboBox* selector,
                 std::string document::AnimationDocument::*text);
  bool GoToPreviewFrame();
  void StepFrame(int& number, QComboBox* selector, int offset, void (CZoetrixDlg::*show)());
  // Sequence, strip and undo (ZoetrixDlgSequence.cpp, ZoetrixDlgUndo.cpp).
  void AppendSequenceMenu();
  bool OnSequenceSysCommand(int sysCommand);
  void SetUpEditAreaMenu();
  bool AskSequenceNumber(int id, document::SequenceCommand& command);
  void RunSequenceCommand(const document::SequenceCommand& command);
  // What the edit area holds, kept in its frame within the next step.
  bool NoteEditText();
  // The frame controls for the list as it is, with the areas on the frames
  // given and the edit area holding editText.
  void ShowFramesAt(const document::AreaPositions& areas, const std::string& editText);
  void ShowFrameFigures(int frames);
  // The edit area shows another frame (or the same afresh): its number
  // field names it, the strip marks it.
  void EditAreaPlaced();
  void UpdateStrip();

  document::AnimationDocument m_doc;
  playback::PlaybackSchedule m_pace;
  ui::FrameItemsModel* m_previewItems = nullptr;
  ui::FrameItemsModel* m_editItems = nullptr;
  // The frame whose text the edit area holds (a selector position); a new
  // choice in the edit selector is already current when its handler runs.
  int m_nEditShown = -1;
  ui::FrameStrip* m_strip = nullptr;
  // The block a command raised from the strip acts on (count 0: the edit
  // area's frame).
  int m_stripFirst = 0;
  int m_stripCount = 0;
  std::unique_ptr<output::RecoveryCopy> m_recovery;
  bool m_recoveryErrorShown = false;
  int m_endSignal = 0;
  std::filesystem::path m_startProject;
  // The settings, read once at start; the settings dialog keeps them and the
  // file in step.
  document::Settings m_settings;
  // A word about the frame just stored, for the edit area's line once it
  // shows its next frame.
  QString m_canvasNote;
  // The project file the title names (empty: a new animation's own).
  std::filesystem::path m_titleProject;
  std::string m_traceKey;   // the project whose traced picture is shown
  std::string m_tracePath;  // that picture's file
  // What the status line adds after a job was cancelled (empty: nothing).
  QString m_jobNote;
};

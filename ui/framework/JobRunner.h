#pragma once
// Long work off the window's thread, with a progress window and 取消.
//
// RunJob runs work on a thread of its own and returns when it has ended;
// meanwhile the window keeps painting and its timers run, but takes no keys
// or clicks (they are dropped, as a modal window would), so nothing can
// start a second job or change what this one works on. For the first half
// second nothing is shown (a short job feels like an ordinary click); after
// that a progress window over the window tells what the job does, its
// frames done of the total, the speed and the time left, and offers "取消",
// which asks the job to stop (platform::JobProgress) and says "正在取消…"
// until it has.
//
// The work must use only what it was given (a copy of the animation, say):
// the window may repaint while it runs. Whatever it has to tell the user goes
// through OnWindowThread, so message boxes come in the order the work asks
// for them; the progress window steps aside while one is open.
#include <chrono>
#include <functional>

#include "platform/JobProgress.h"

class QProgressDialog;
class QWidget;

namespace ui {

// False when the job was cancelled (by 取消, or because the application is
// ending); true when it ran to its end. An exception the work throws is
// thrown again here, after its thread has ended.
bool RunJob(QWidget* parent, const std::function<void(platform::JobProgress&)>& work);

// Whether a job is running (the window holds back its own timed work).
bool JobRunning();

// From the work's thread: runs fn on the window's thread and waits for it.
// On the window's thread it simply runs fn.
void OnWindowThread(const std::function<void()>& fn);

// Tests: started is called on the window's thread with the job's progress
// before the work starts (it may cancel it at once); shown is called each
// time the progress window is brought up to date while it shows; finished
// once the work has ended, with its last reading. Empty functions remove
// them. The delay before the window shows can be changed;
// zero restores half a second.
struct JobHooks {
  std::function<void(platform::JobProgress&)> started;
  std::function<void(QProgressDialog&, platform::JobProgress&)> shown;
  std::function<void(const platform::JobProgress&)> finished;
};
void SetJobHooksForTesting(JobHooks hooks);
void SetJobDialogDelayForTesting(std::chrono::milliseconds delay);

}  // namespace ui

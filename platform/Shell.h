#pragma once
#include <functional>
#include <string>

namespace platform {

// How opening something in another program went.
enum class ShellOpenResult {
  Opened,         // the opener succeeded, or is still busy after the wait
  OpenerMissing,  // no opener (xdg-open) could be started
  OpenerFailed,   // the opener ended with a failure status: it found nothing
                  // set up to open the target (or the target is not there)
};

// Opens a folder in the file manager or an address in the browser with
// xdg-open, detached from the tool. Waits at most about two seconds for the
// opener's verdict; an opener still running then (some stay until the
// program they started ends) counts as a success, and is never waited for.
ShellOpenResult ShellOpen(const std::string& target);

// Tests record what would be opened instead of launching anything (that
// counts as opened); an empty function restores the real behaviour.
void SetShellOpenHookForTesting(std::function<void(const std::string&)> hook);

// Tests run this program in place of xdg-open; empty restores xdg-open.
void SetOpenerForTesting(const std::string& program);

}  // namespace platform

#pragma once
#include <functional>
#include <string>

namespace platform {

// Opens a folder in the file manager or an address in the browser, detached
// from the tool. The result is not examined: a failure shows nothing.
void ShellOpen(const std::string& target);

// Tests record what would be opened instead of launching anything; an empty
// function restores the real behaviour.
void SetShellOpenHookForTesting(std::function<void(const std::string&)> hook);

}  // namespace platform

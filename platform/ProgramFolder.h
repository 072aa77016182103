#pragma once
#include <functional>
#include <string>

namespace platform {

// The folder of the running executable, ending in a separator.
std::string ProgramFolder();

// Tests point the tool at a folder of their own; an empty string restores
// the real folder.
void SetProgramFolderForTesting(const std::string& folder);

// Where the tool keeps its work: Code/, Animate/, Project/ and data/. A tool
// run from a folder of its own that it may write in (the build folder, an
// unpacked copy) works beside itself. An installed tool, or one whose folder
// is read-only, works in the per-user folder instead, made with those four
// folders on first use. Ends in a separator.
std::string WorkFolder();

// What the tool ships and only reads: include/ (the console layer the
// compiler needs) and help/ (the guide). Beside the tool when include/ is
// there; otherwise <prefix>/share/zoetrix/ of an installation whose
// executable is in <prefix>/bin/; otherwise the program folder. Ends in a
// separator.
std::string ShareFolder();

// The same for a given program folder. A work folder is its own work folder,
// so code handed either kind of folder finds the same files.
std::string WorkFolderFor(const std::string& programFolder);
std::string ShareFolderFor(const std::string& programFolder);

// $XDG_DATA_HOME/zoetrix/, by default ~/.local/share/zoetrix/; not created.
std::string UserWorkFolder();

// Whether the tool may write in a folder. Root passes every permission
// check, so tests decide instead; an empty function restores the real check.
void SetWritableCheckForTesting(std::function<bool(const std::string&)> check);

}  // namespace platform

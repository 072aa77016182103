#pragma once
#include <string>

namespace platform {

// The folder of the running executable, ending in a separator. Every file
// path of the tool is built by appending to it.
std::string ProgramFolder();

// Tests point the tool at a folder of their own; an empty string restores
// the real folder.
void SetProgramFolderForTesting(const std::string& folder);

}  // namespace platform

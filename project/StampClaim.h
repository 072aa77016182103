#pragma once
// Claiming the name of an animation's files: the stamp of the moment it was
// made, free only while none of its files is there.
#include <cstdio>
#include <functional>
#include <string>

#include "document/AnimationFiles.h"

namespace output {

enum class Claim { Made, CannotCreate, TooMany };

// Takes the first stamp (the bare one, then "_2", "_3", ...) none of whose
// files (code, project, programs, shared formats) is there, a dangling link
// included, by creating claimFile(paths) exclusively; *made is then that
// file, open for update. Looking again once it is made closes the gap to
// another tool claiming the same stamp by another of its files at that
// moment: whoever then sees the other's file gives the stamp up. *paths is
// the stamp tried last, also on failure; after CannotCreate errno says why.
Claim ClaimStamp(const std::string& programFolder, const std::string& stamp,
                 const std::function<std::string(const document::AnimationPaths&)>& claimFile,
                 document::AnimationPaths* paths, std::FILE** made);

}  // namespace output

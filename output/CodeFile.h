#pragma once
// The code file of the current animation: created with its prologue when an
// animation is created or a project opened, kept open for the export.
#include <string>

#include "document/AnimationDocument.h"
#include "document/AnimationFiles.h"
#include "output/ProgramWriter.h"

namespace output {

// Claims the files of a new animation named after header.created, creates
// its code file with the prologue and makes that the document's open code
// file, closing the earlier one (whose content stays on disk).
//
// The code file is created exclusively: when a file of that stamp is already
// there (two animations within one second, or two exports running at once),
// "_2", "_3", ... follow the stamp, so nothing made earlier is overwritten.
//
// On success *paths holds the four paths for the caller to take and the
// result is empty; otherwise the message for the user (UTF-8) is returned
// and nothing of the document has changed.
std::string StartCodeFile(document::AnimationDocument& doc, const std::string& programFolder,
                          const ProgramHeader& header, document::AnimationPaths* paths);

}  // namespace output

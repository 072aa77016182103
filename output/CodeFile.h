#pragma once
// The code file of the current animation: created with its prologue when an
// animation is created or a project opened, kept open for the export.
#include <string>

#include "document/AnimationDocument.h"
#include "document/AnimationFiles.h"
#include "output/ProgramWriter.h"

// Creates the file at path with the prologue and makes it the document's
// open code file, closing the earlier one (whose content stays on disk).
// On failure nothing of the document changes and the message for the user
// (UTF-8) is returned; an empty string means success.
std::string OpenCodeFile(AnimationDocument& doc, const std::string& path,
                         const ProgramHeader& header);

// The files of a new animation, named after header.created (see
// NewAnimationPaths), with its code file open. On success *paths holds the
// four paths for the caller to take; on failure the message is returned and
// nothing of the document has changed.
std::string StartCodeFile(AnimationDocument& doc, const std::string& programFolder,
                          const ProgramHeader& header, AnimationPaths* paths);

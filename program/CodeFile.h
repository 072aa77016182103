#pragma once
// The files of an animation: its stamp claimed when it is created or opened,
// its code file (created then with its prologue, kept open for the export),
// and which files at its names are its own.
#include <cstdio>
#include <functional>
#include <string>

#include "document/Animation.h"
#include "document/AnimationDocument.h"
#include "document/AnimationFiles.h"
#include "document/ExportSession.h"
#include "platform/Clock.h"
#include "platform/SafeFile.h"

namespace output {

using document::ShareFormat;

// Claims the files of a new animation named after `created`, creates its
// code file with the prologue of `animation` (its name, canvas size and
// colour code) and makes that the document's open code file. The animation
// the document held lets go of its code file: closed, and removed when it
// still holds nothing but its prologue (it was never exported); what its
// exports wrote stays, and is no longer its session's own.
//
// A stamp is claimed only when none of its files (code, project, programs,
// shared formats) is there, and the code file is created exclusively: when
// a file of that stamp is already there (two animations within one second,
// or two exports running at once), "_2", "_3", ... follow the stamp, so
// nothing made earlier is overwritten.
//
// On success *paths holds the four paths for the caller to take and the
// result is empty; otherwise the message for the user (UTF-8) is returned
// and nothing of the document has changed.
std::string StartCodeFile(document::AnimationDocument& doc, const std::string& programFolder,
                          const document::Animation& animation, const platform::LocalTime& created,
                          document::AnimationPaths* paths);

// For an export that writes only shared formats: claims a stamp as
// StartCodeFile does, but by creating the (empty) file of `first` in
// Animate/ instead of a code file, so Code/ need not be writable. That file
// becomes the session's only own file, for the export of `first` to
// replace. The code file is left alone. Same results as StartCodeFile.
std::string ClaimShareStamp(document::ExportSession& session, const std::string& programFolder,
                            const platform::LocalTime& created, ShareFormat first,
                            document::AnimationPaths* paths);

// Removes the session's code file when it holds exactly the prologue of
// animation at the session's clock reading: an animation that was never
// exported leaves no program that cannot compile. The window calls it when
// it ends; StartCodeFile when an animation is replaced.
void DiscardCodeStub(document::ExportSession& session, const document::Animation& animation);

// The files of an export session that are its own: those it put in place,
// while each is still that same file. Only such a file may be replaced; one
// edited by hand or swapped for another since is left alone.
// IsOwnFile: whether the file at path is such a file.
bool IsOwnFile(const document::ExportSession& session, const std::string& path);
// Why the file at path is not replaced: it changed since the session
// wrote it (edited by hand, say), or it never was the session's.
std::string NotReplacedMessage(const document::ExportSession& session, const std::string& path);
// Replace::Yes for an own file, Replace::No for anything else.
platform::Replace ReplaceMode(const document::ExportSession& session, const std::string& path);
// The file now at path is the session's own (forgotten when there is none).
void NoteOwnFile(document::ExportSession& session, const std::string& path);

}  // namespace output

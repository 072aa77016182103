#pragma once
// Sharing an animation: a web page, an animated GIF, an asciicast recording
// or a Windows program, each written into Animate/ and named after the
// animation's files (Animate/<stamp>.html, .gif, .cast, -windows.exe).
#include <string>

#include "document/Animation.h"
#include "document/ExportSession.h"
#include "platform/JobProgress.h"

namespace output {

using document::ShareFormat;
using document::SharePathFor;

// Where the format goes: the session's Animate/<stamp>.exe with its ending
// replaced.
std::string SharePath(const document::ExportSession& session, ShareFormat format);

// Writes the animation in the format at the session's SharePath. endless is
// for the Windows program (start again after the last frame; its prologue
// shows the session's clock reading); the other formats always loop. Empty
// on success, otherwise the message for the user (UTF-8). The file is new,
// or one the session wrote there before (a second export of the same format
// updates it); anything else already at that name is left alone and named
// in the message. The file written becomes one of the session's own
// (m_writtenFiles); nothing else changes.
//
// Given a job, the format's writer is its stage. A cancelled job gives
// kJobCancelled's text naming the stage: nothing is left at the format's
// path that was not there before, and the session is as it was.
std::string ShareAnimation(const document::Animation& animation, document::ExportSession& session,
                           ShareFormat format, bool endless,
                           platform::JobProgress* progress = nullptr);

}  // namespace output

#pragma once
// Sharing an animation: a web page, an animated GIF, an asciicast recording
// or a Windows program, each written into Animate/ and named after the
// animation's files (Animate/<stamp>.html, .gif, .cast, -windows.exe).
#include <string>

#include "document/AnimationDocument.h"

namespace output {

enum class ShareFormat { Html, Gif, Cast, Windows };

// Where the format goes: the session's Animate/<stamp>.exe with its ending
// replaced.
std::string SharePath(const document::ExportSession& session, ShareFormat format);
// The same for the program path Animate/<stamp>.exe.
std::string SharePathFor(const std::string& exePath, ShareFormat format);

// Writes the format at SharePath. endless is for the Windows program (start
// again after the last frame); the other formats always loop. Empty on
// success, otherwise the message for the user (UTF-8). The file is new, or
// one this animation wrote there before (a second export of the same format
// updates it); anything else already at that name is left alone and named in
// the message. The file written becomes one of the animation's own
// (m_writtenFiles); nothing else of the document changes.
std::string ShareAnimation(document::AnimationDocument& doc, ShareFormat format, bool endless);

}  // namespace output

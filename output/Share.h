#pragma once
// Sharing an animation: a web page, an animated GIF, an asciicast recording
// or a Windows program, each written into Animate/ and named after the
// animation's files (Animate/<stamp>.html, .gif, .cast, -windows.exe).
#include <string>

#include "document/AnimationDocument.h"

namespace output {

enum class ShareFormat { Html, Gif, Cast, Windows };

// Where the format goes: the animation's Animate/<stamp>.exe with its ending
// replaced.
std::string SharePath(const document::AnimationDocument& doc, ShareFormat format);

// Writes the format at SharePath. endless is for the Windows program (start
// again after the last frame); the other formats always loop. Empty on
// success, otherwise the message for the user (UTF-8). The document is not
// changed.
std::string ShareAnimation(const document::AnimationDocument& doc, ShareFormat format,
                           bool endless);

}  // namespace output

#pragma once
// The generated C program that plays an animation in a console.
//
// The code file is written in two stages: the prologue (banner comment,
// includes, the cursor function and the head of main up to the label
// "loop:") when an animation is created or opened, the body (the frames and
// the end of main) at export. Together they are one translation unit.
//
// Every text here is GBK bytes, as the document holds them. Lines end in a
// bare line feed; the last byte of a finished program is the closing brace
// of main.
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "document/Animation.h"
#include "platform/Clock.h"
#include "platform/JobProgress.h"

namespace output {

// What the export asks the body to hold.
struct ProgramBodyOptions {
  bool saveCode = false;  // write the frame statements
  bool endless = false;   // jump back to "loop:" after the last frame (only with saveCode)
};

// The console colour code of two colour indexes: one capital hex digit each,
// background first. An index outside 0..15 contributes no digit and calls
// onBadIndex (once per bad index), which shows the message to the user.
std::string MakeColorCode(int backIndex, int charIndex, const std::function<void()>& onBadIndex);

// The 40 prologue lines, each ending in a line feed: the animation's name,
// canvas size and colour code, and `created`, the clock reading that also
// names its files. Neither its rate nor its frames are read.
std::string MakeProgramPrologue(const document::Animation& animation,
                                const platform::LocalTime& created);

// The body: section heading, one block per frame, the jump back and the end
// of main, without a line feed after the final brace. Frames are written in
// list order, all of them, each shown for one period of the animation's rate;
// a rate below 1 is taken as 1.
std::string MakeProgramBody(const document::Animation& animation,
                            const ProgramBodyOptions& options);

// Write the same bytes to the open code file and flush it. False when the
// file is null or any write fails; the file stays open either way. The body
// tells a job how many frames it has written (in the stage its caller
// began) and stops, false, as soon as the job is cancelled: the file then
// holds part of a body, for the caller to throw away.
bool WriteProgramPrologue(std::FILE* file, const document::Animation& animation,
                          const platform::LocalTime& created);
bool WriteProgramBody(std::FILE* file, const document::Animation& animation,
                      const ProgramBodyOptions& options, platform::JobProgress* progress = nullptr);

}  // namespace output

#pragma once
// The animation as a Windows console program: the generated C program,
// compiled with the MinGW-w64 cross compiler against the real Windows
// headers, so a Windows user gets a program that plays in their console.
#include <string>

#include "document/Animation.h"
#include "platform/Clock.h"
#include "platform/JobProgress.h"
#include "platform/SafeFile.h"
#include "res/Texts.h"

namespace output {

// The cross compiler, from Debian's gcc-mingw-w64-x86-64.
inline constexpr const char* kWindowsCompiler = "x86_64-w64-mingw32-gcc";

using res::kWindowsCompilerMissing;  // res/Texts.h

// True when path is a whole PE executable for x86-64: the MZ header, the PE
// signature at e_lfanew inside the file, machine 0x8664, an optional header
// of the PE32+ kind, and every section's data inside the file.
bool IsWindowsExecutable(const std::string& path);

// Writes the complete program (the prologue the code file got when the
// animation was created or opened at `created`, then every frame, jumping
// back to the start after the last one when endless) into a private temporary folder,
// compiles it there and moves the program to target, replacing a file
// there only with Replace::Yes. Empty on success; otherwise the message for
// the user (UTF-8), and target is untouched. Blocks until the compiler ends
// (at most two minutes). Given a job, it is one stage, kJobShareWindows, by
// frames written; a cancel stops the writing or the compiler within a few
// tens of milliseconds, leaves target untouched and the temporary folder
// gone, and gives kJobCancelled's text.
std::string BuildWindowsProgram(const document::Animation& animation,
                                const platform::LocalTime& created, bool endless,
                                const std::string& target,
                                platform::Replace replace = platform::Replace::No,
                                platform::JobProgress* progress = nullptr);

// Tests run another compiler (a missing one, say); empty restores the real one.
void SetWindowsCompilerForTesting(const std::string& program);

}  // namespace output

#pragma once
// The sharing options of zoetrix --export: --html, --gif, --cast and
// --windows write the animation into Animate/ beside the classic files.
#include <string>
#include <vector>

#include "document/Animation.h"
#include "document/ExportSession.h"
#include "platform/JobProgress.h"
#include "share/Share.h"

struct ShareOptions {
  bool html = false;
  bool gif = false;
  bool cast = false;
  bool windows = false;
  bool Any() const { return html || gif || cast || windows; }
};

// The lines of the usage text that describe the options.
extern const char* const kShareUsage;

// True (and the option noted) when arg is one of the sharing options.
bool TakeShareOption(const std::string& arg, ShareOptions& options);

// The chosen formats, in the order they are written and listed.
std::vector<output::ShareFormat> ChosenFormats(const ShareOptions& options);

class ProgressLine;

// Writes every chosen format of the animation, stopping at the first that
// cannot be written and saying why on standard error. True when all were
// written; the files are the session's own (m_writtenFiles). Each format is
// a stage of job when one is given; line, when given, is erased before
// anything is said.
bool RunShares(const document::Animation& animation, document::ExportSession& session,
               const ShareOptions& options, bool endless, platform::JobProgress* job = nullptr,
               ProgressLine* line = nullptr);

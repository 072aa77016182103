#pragma once
// The sharing options of zoetrix --export: --html, --gif, --cast and
// --windows write the animation into Animate/ beside the classic files.
#include <string>

#include "document/AnimationDocument.h"

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

// Writes every chosen format, listing each file written on standard output
// and each problem on standard error. True when all were written.
bool RunShares(const document::AnimationDocument& doc, const ShareOptions& options, bool endless);

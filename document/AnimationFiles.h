#pragma once
// The files of an animation are named after the moment it was created or
// opened: year_month_day_hour_minute_second, without leading zeros.
#include <string>

#include "platform/Clock.h"

namespace document {

std::string MakeCreationStamp(const platform::LocalTime& t);  // 2019_7_5_9_3_7

struct AnimationPaths {
  std::string project;  // Project/<stamp>.ini
  std::string exe;      // Animate/<stamp>.exe: the finished program
  std::string build;    // Code/<stamp>.exe: where the compiler writes
  std::string code;     // Code/<stamp>.c
};

// The four paths under the program folder (which ends in a separator).
AnimationPaths MakeAnimationPaths(const std::string& programFolder, const std::string& stamp);

// The formats an animation is shared in, each a file beside its program.
enum class ShareFormat { Html, Gif, Cast, Windows };

// Where a format goes: the program path Animate/<stamp>.exe with its ending
// replaced (.html, .gif, .cast, -windows.exe).
std::string SharePathFor(const std::string& exePath, ShareFormat format);

}  // namespace document

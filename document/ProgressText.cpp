#include "document/ProgressText.h"

#include <cmath>
#include <cstdio>

#include "res/Texts.h"

namespace document {
namespace {

std::string Rate(double perSecond) {
  char text[32];
  std::snprintf(text, sizeof text, perSecond < 10 ? "%.1f" : "%.0f", perSecond);
  return text;
}

std::string Duration(double seconds) {
  const auto whole = static_cast<long long>(std::ceil(seconds));
  if (whole < 60) return res::Format(res::kJobSeconds, {std::to_string(whole)});
  return res::Format(res::kJobMinutes, {std::to_string(whole / 60), std::to_string(whole % 60)});
}

}  // namespace

std::string ProgressText(const platform::JobProgress::Reading& reading) {
  std::string text;
  const std::string done = std::to_string(reading.done);
  if (reading.total > 0)
    text = res::Format(res::kJobFramesOf, {reading.what, done, std::to_string(reading.total)});
  else if (reading.done > 0)
    text = res::Format(res::kJobFrames, {reading.what, done});
  else
    text = reading.what;
  if (const double rate = platform::UnitsPerSecond(reading); rate > 0 && reading.seconds >= 0.2)
    text += "  " + res::Format(res::kJobRate, {Rate(rate)});
  if (const double left = platform::SecondsLeft(reading); left >= 0)
    text += "  " + res::Format(res::kJobTimeLeft, {Duration(left)});
  return text;
}

}  // namespace document

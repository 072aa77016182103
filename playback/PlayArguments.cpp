#include "playback/PlayArguments.h"

#include <algorithm>

#include "res/Texts.h"

namespace playback {

std::string SelectFrames(int frameCount, std::optional<int> from, std::optional<int> to,
                         FrameRange* range) {
  if (frameCount < 1) return res::kPlayNoFrames;
  const std::string span = res::Format(res::kPlayFrameSpan, {std::to_string(frameCount)});
  if (from && (*from < 1 || *from > frameCount))
    return res::Format(res::kPlayFromOutOfRange, {span});
  if (to && (*to < 1 || *to > frameCount)) return res::Format(res::kPlayToOutOfRange, {span});
  const int first = from.value_or(1), last = to.value_or(frameCount);
  if (last < first) return res::kPlayToBeforeFrom;
  range->first = first - 1;
  range->last = last - 1;
  return {};
}

double FasterSpeed(double speed) { return std::min(speed * 1.25, kMaxPlaySpeed); }
double SlowerSpeed(double speed) { return std::max(speed / 1.25, kMinPlaySpeed); }

}  // namespace playback

#include "picture/FrameSampler.h"

#include <algorithm>
#include <cmath>

namespace picture {

namespace {
constexpr double kSlack = 1e-9;  // seconds: rounding in a stream's time base
}

FrameSampler::FrameSampler(int rate, double from, double to)
    : m_rate(std::max(1, rate)), m_from(std::max(0.0, from)), m_to(to) {}

bool FrameSampler::PastEnd(double start) const { return m_to >= 0 && start >= m_to - kSlack; }

bool FrameSampler::Shows(double start, double end) const {
  (void)start;  // every frame before the first picture's start is the first picture's too
  const double next = m_from + static_cast<double>(m_next) / m_rate;
  return next < end - kSlack && !PastEnd(next);
}

long long FrameSampler::FramesBefore(double start) {
  const double limit = m_to >= 0 ? std::min(start, m_to) : start;
  // Frame k comes before when from + k / rate < limit: k < (limit - from) * rate.
  const double bound = std::ceil((limit - kSlack - m_from) * m_rate);
  if (!(bound > static_cast<double>(m_next))) return 0;
  const long long end =
      bound >= 9e18 ? static_cast<long long>(9e18) : static_cast<long long>(bound);
  const long long count = end - m_next;
  m_next = end;
  return count;
}

}  // namespace picture

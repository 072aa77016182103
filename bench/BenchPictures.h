#pragma once
// Distinct 80x25 pictures for the benchmarks: a walking figure over blank
// rows and a caption with Chinese text, quotes, a backslash and a percent
// sign, so escaping has work to do.
#include <string>

#include "platform/Cp936.h"

inline std::string NumberedPicture(long n) {
  std::string out;
  const std::string caption =
      platform::cp936::ToGbk("第" + std::to_string(n) + "帧").bytes + " \"go\" C:\\x 100%";
  for (int row = 0; row < 25; ++row) {
    std::string line(80, ' ');
    if (row == 12) line.replace(static_cast<std::size_t>(n % 60), 9, "( o.o )/\\");
    if (row == 20) line.replace(2, caption.size(), caption);
    if (row) out += "\r\n";
    out += line;
  }
  return out;
}

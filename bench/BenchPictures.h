#pragma once
// Distinct 80x25 pictures for the benchmarks: a walking figure over blank
// rows and a caption with Chinese text, quotes, a backslash and a percent
// sign, so escaping has work to do; and dense pictures, every cell drawn.
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

// A dense 80x25 picture in GBK, as users draw them: every row 40 ASCII
// characters and 20 Chinese ones (40 cells), moving with n.
inline std::string DensePicture(long n) {
  static const std::string kHan =
      platform::cp936::ToGbk("走跑跳看山水风云日月星光画面动字符帧中文").bytes;  // 20
  std::string out;
  for (int row = 0; row < 25; ++row) {
    if (row) out += "\r\n";
    for (int i = 0; i < 40; ++i) out += static_cast<char>('!' + (n + row + i) % 94);
    const std::size_t shift = static_cast<std::size_t>((n + row) % 20) * 2;
    out += kHan.substr(shift) + kHan.substr(0, shift);
  }
  return out;
}

// DensePicture(n) repeats every 940 frames; this one never does: the first
// row starts with the frame number.
inline std::string DistinctDensePicture(long n) {
  std::string out = DensePicture(n);
  const std::string number = std::to_string(n) + " ";
  out.replace(0, number.size(), number);
  return out;
}

#include "document/ColorTable.h"

namespace document {

const char* const g_colorTable[kColorCount] = {
    "黑色", "蓝色",   "绿色",   "浅绿色",   "红色",   "紫色",   "黄色",   "白色",
    "灰色", "淡蓝色", "淡绿色", "淡浅绿色", "淡红色", "淡紫色", "淡黄色", "亮白色",
};

std::optional<char> ColorDigit(int index) {
  if (index < 0 || index >= kColorCount) return std::nullopt;
  return "0123456789ABCDEF"[index];
}

}  // namespace document

#pragma once
// The tool's fixed texts, UTF-8.
#include <string>

namespace res {

inline constexpr const char* kAboutMenuText = "关于 Zoetrix(&A)...";  // string 101
inline constexpr const char* kNoAnimation = "还没有创建动画！请先创建动画！";
inline constexpr const char* kExitQuestion = "确定要退出？";
inline constexpr const char* kExitSuffix = "请确保你保存好了动画。";
inline constexpr const char* kStatusEditing = "【↓动画制作区域↓】当前编辑：";

// The help text behind "使用帮助" and the Enter key.
extern const char* const kHelpText;

// The explanation shown by one of the "?" buttons; null for other ids.
const char* ExplanationFor(int buttonId);

// The start-up tips: 35 lines, each followed by CR LF; the fourth names the
// guide at guideAddress.
std::string TipsText(const std::string& guideAddress);

}  // namespace res

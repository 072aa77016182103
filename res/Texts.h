#pragma once
// The tool's fixed texts, UTF-8.
#include <string>

namespace res {

inline constexpr const char* kAboutMenuText = "关于 Zoetrix(&A)...";  // string 101
inline constexpr const char* kNoAnimation = "还没有创建动画！请先创建动画！";
inline constexpr const char* kExitQuestion = "确定要退出？";
inline constexpr const char* kExitSuffix = "请确保你保存好了动画。";
inline constexpr const char* kStatusEditing = "【↓动画制作区域↓】当前编辑：";
// The same words as the field exchange uses for such a text.
inline constexpr const char* kUnsavableCharacters =
    "输入的内容含有无法保存的字符：%1\n请删除或替换这些字符后再试。";
// Asked at start-up about a recovery copy left by a run that did not end
// through the exit question; %1 is the animation's name, %2 its frame
// count, %3 when the copy was written.
inline constexpr const char* kRecoveryQuestion =
    "上次运行没有正常退出，找到了尚未导出的动画的恢复副本：\n"
    "动画名称：%1\n帧数：%2\n保存时间：%3\n\n"
    "是否打开这个动画？\n点击取消将删除这个恢复副本。";
inline constexpr const char* kRecoveryUnreadable = "恢复副本无法打开，已保留在：\n%1";

// The help text behind "使用帮助" and the Enter key.
extern const char* const kHelpText;

// The explanation shown by one of the "?" buttons; null for other ids.
const char* ExplanationFor(int buttonId);

// The start-up tips: 35 lines, each followed by CR LF.
std::string TipsText();

}  // namespace res

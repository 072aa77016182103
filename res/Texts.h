#pragma once
// The tool's fixed texts, UTF-8.
#include <string>

namespace res {

inline constexpr const char* kAboutMenuText = "关于 Zoetrix(&A)...";  // string 101
inline constexpr const char* kNoAnimation = "还没有创建动画！请先创建动画！";
inline constexpr const char* kExitQuestion = "确定要退出？";
inline constexpr const char* kExitSuffix = "请确保你保存好了动画。";
inline constexpr const char* kStatusEditing = "【↓动画制作区域↓】当前编辑：";
// Between the window's caption and the name of the project file it opened.
inline constexpr const char* kTitleProjectSeparator = " — ";
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

// Opening a folder or the guide in another program failed: %1 names what,
// %2 is its full path.
inline constexpr const char* kCannotOpen =
    "无法打开%1：\n%2\n没有找到可以打开它的程序。请安装 xdg-utils（提供 xdg-open）"
    "以及文件管理器和浏览器。";
inline constexpr const char* kCodeFolderName = "动画代码(*.c)存储目录";
inline constexpr const char* kAnimateFolderName = "动画文件(*.exe)存储目录";
inline constexpr const char* kProjectFolderName = "动画工程(*.ini)存储目录";
inline constexpr const char* kSettingsFolderName = "配置文件存储目录";
inline constexpr const char* kGuideName = "使用教程";
inline constexpr const char* kHelpWindowTitle = "Zoetrix 使用教程";

// The system menu's sharing items, below About, and what they report; %1
// is the file written.
inline constexpr const char* kShareHtmlMenuText = "导出为网页(&H)";
inline constexpr const char* kShareGifMenuText = "导出为 GIF 动画(&G)";
inline constexpr const char* kShareCastMenuText = "导出为 asciicast 录像(&C)";
inline constexpr const char* kShareWindowsMenuText = "编译为 Windows 程序(&W)";
inline constexpr const char* kImportTextMenuText = "从文本文件导入帧(&T)…";
inline constexpr const char* kShareHtmlDone = "已导出为网页：\n%1\n用浏览器打开即可播放。";
inline constexpr const char* kShareGifDone = "已导出为 GIF 动画：\n%1";
inline constexpr const char* kShareCastDone =
    "已导出为 asciicast 录像：\n%1\n可以用 asciinema play 在终端里播放。";
inline constexpr const char* kShareWindowsDone =
    "已编译为 Windows 程序：\n%1\n把它复制到 Windows 电脑上双击即可播放。";
inline constexpr const char* kImportTextFilter = "文本文件(*.txt);;所有文件(*)";

// The help text behind "使用帮助" and the Enter key.
extern const char* const kHelpText;

// The explanation shown by one of the "?" buttons; null for other ids.
const char* ExplanationFor(int buttonId);

// The start-up tips: 35 lines, each followed by CR LF; the fourth names the
// guide at guideAddress.
std::string TipsText(const std::string& guideAddress);

}  // namespace res

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

// Creating an animation.
inline constexpr const char* kCreateOverwriteQuestion =
    "你确定要新建一个动画吗？\n你勾选了\"覆盖当前动画\"\n"
    "请确定现在的动画已经保存，否则现在的动画将会消失。点击取消来取消新建任务。";
inline constexpr const char* kCreateOutOfRange = "创建失败！数值越界！";
inline constexpr const char* kColorImportError = "动画颜色信息导入错误！";
inline constexpr const char* kCreated = "创建完毕";

// Appending frames; %1 is the frame limit.
inline constexpr const char* kFrameLimit = "帧数将超出上限（%1），未添加。";
inline constexpr const char* kCreatingFrames = "正在创建帧，请勿点击程序！";
inline constexpr const char* kFramesCreated = "创建完成。";

// Deleting frames.
inline constexpr const char* kNoFrameToDelete = "已经没有可以删除的帧了。";
inline constexpr const char* kDeleteLastQuestion = "确实要删除最后一帧？操作不可更改。";
inline constexpr const char* kDeleteQuestion = "确定删除？";
inline constexpr const char* kBadDeleteMode = "意外的错误：传入的模式有误！";

// Moving between frames, and the animation's properties: %1 name, %2 and
// %3 canvas width and height, %4 colour code, %5 rate, %6 frame count.
inline constexpr const char* kNoSuchFrame = "没有这一帧！";
inline constexpr const char* kProperties =
    "【动画属性】\n动画名称：%1\n动画画布尺寸：宽%2，高%3\n动画颜色：%4\n帧频：%5\n帧数：%6";

// Opening a project.
inline constexpr const char* kProjectFilter = "工程文件(*.ini)";
inline constexpr const char* kOpenReplaceQuestion =
    "你确定要打开一个动画工程吗？\n你没有勾选\"叠加到当前动画后\"\n"
    "请确定现在的动画已经保存，否则现在的动画将会被新的动画覆盖。点击取消来取消新建任务。";
inline constexpr const char* kImported = "已导入！";

// Settings; %1 is the settings file's path.
inline constexpr const char* kOpenSettingsFolderQuestion = "确实要打开配置文件存储目录？";
inline constexpr const char* kCannotSaveSettings =
    "无法保存设置：\n%1\n请确认程序目录下的 data 文件夹存在并且可以写入。设置保持原样。";

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

// The help text behind "使用帮助" and the Enter key.
extern const char* const kHelpText;

// The explanation shown by one of the "?" buttons; null for other ids.
const char* ExplanationFor(int buttonId);

// The start-up tips: 35 lines, each followed by CR LF; the fourth names the
// guide at guideAddress.
std::string TipsText(const std::string& guideAddress);

}  // namespace res

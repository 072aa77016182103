#pragma once
// The tool's fixed texts, UTF-8.
#include <initializer_list>
#include <string>
#include <string_view>

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
    "无法保存设置：\n%1\n请确认工作目录下的 data 文件夹存在并且可以写入。设置保持原样。";

// --- the export, the compiler, the sharing formats ------------------------
inline constexpr const char* kExportNoOption = "请选择至少一个导出选项！";
inline constexpr const char* kExportCompileNeedsCode = "进行编译必须要导出代码！";
inline constexpr const char* kExportCompileQuestion = "进行编译将解除代码文件的占用,是否继续？";
inline constexpr const char* kExportDone = "已导出。";
inline constexpr const char* kReleaseQuestion =
    "确定要解除占用？这意味着你将结束对动画文件的编辑。";
inline constexpr const char* kReleaseDone = "已解除占用。";
inline constexpr const char* kReleaseNotOpen = "代码文件没有被占用，无需解除。";

inline constexpr const char* kCompileSuccessMessage = "编译成功！";
inline constexpr const char* kCompileProblemMessage =
    "编译遇到问题，请检查动画目录内是否生成文件。";
inline constexpr const char* kCompileEmptySourceMessage =
    "导出动画时遇到错误！错误原因：代码文件为空。";
inline constexpr const char* kCompilePipeFailedMessage =
    "与编译器的联系断开，编译器可能被损坏或程序被损坏，请重新安装程序。按确定后退出程序。";
inline constexpr const char* kCompileProcessFailedMessage =
    "无法创建新进程，请检查权限，程序可能被损坏，请重新安装程序。按确定后退出程序。";

inline constexpr const char* kFormatCannotCreate = "无法创建文件：";
inline constexpr const char* kFormatWriteFailed = "写入文件失败：";
inline constexpr const char* kFormatNoFont =
    "找不到等宽中文字体，无法导出 GIF。请安装 fonts-wqy-microhei。";
inline constexpr const char* kFormatBadFont = "无法使用字体文件：";
inline constexpr const char* kFormatGifFailed = "GIF 编码失败：";

// --- files the tool writes and reads --------------------------------------
// %1 is the code file's path.
inline constexpr const char* kCannotCreateCodeFile =
    "无法创建代码文件：\n%1\n请确认工作目录下的 Code 文件夹存在并且可以写入。";
inline constexpr const char* kTooManyAnimationsPerSecond =
    "无法创建代码文件：同一秒内创建的动画太多。\n请稍后再试。";
inline constexpr const char* kCompilerMissing = "找不到编译器 tcc：程序目录和 PATH 中都没有。";
inline constexpr const char* kCompileTimedOut = "编译超过了时间限制，已被停止。";
// %1 is where the program should have been written.
inline constexpr const char* kCompileIncomplete = "编译器没有生成完整的程序（磁盘可能已满）：%1";
inline constexpr const char* kCompileNoReason = "编译器没有说明原因就失败了。";
// %1 is the folder or file, %2 the system's reason.
inline constexpr const char* kExportCannotPrepareCompile =
    "导出失败：无法在 Code "
    "文件夹中准备编译：\n%1\n（%2）\n请确认该文件夹可以写入并且磁盘还有空间。";
inline constexpr const char* kExportCannotMoveProgram =
    "无法把编译好的程序放进 Animate 文件夹：\n%1\n（%2）\n请确认该文件夹存在并且可以写入。";
inline constexpr const char* kExportCannotWriteCode =
    "导出失败：无法写入代码文件\n%1\n（%2）\n请确认 Code 文件夹存在、可以写入并且磁盘还有空间。";
// A project refused when opening; %1 says why.
inline constexpr const char* kOpenFailed = "打开失败：%1";
inline constexpr const char* kProjectNotAProject = "该文件不是工程文件。";
inline constexpr const char* kProjectBadRate = "工程文件中的帧频无效。";
inline constexpr const char* kProjectBadFrameCount = "工程文件中的帧数无效。";
// %1 is the frame limit.
inline constexpr const char* kProjectTooManyFrames = "工程文件中的帧数超出上限（%1）。";
inline constexpr const char* kAppendTooManyFrames = "叠加后的帧数超出上限（%1）。";
inline constexpr const char* kProjectFileMissing = "找不到该文件。";
inline constexpr const char* kProjectNotAFile = "该路径不是一个普通文件。";
inline constexpr const char* kProjectUnreadable = "无法读取该文件。";
// A project that cannot be saved: %1 is its path; then one of the reasons.
inline constexpr const char* kCannotSaveProject = "无法保存工程文件：\n%1\n";
inline constexpr const char* kSaveTooManyFrames = "帧数超出上限（%1）。";
inline constexpr const char* kExistingFileUnreadable = "已有的文件无法读取。";
// %1 is the system's reason.
inline constexpr const char* kFolderNotWritable = "请确认文件夹存在并且可以写入。\n（%1）";
// The recovery copy cannot be written: %1 is its path; the reason follows,
// then kRecoveryStillThere.
inline constexpr const char* kCannotWriteRecovery = "无法写入恢复副本：\n%1\n";
inline constexpr const char* kRecoveryFolderNotWritable =
    "请确认 data 文件夹存在并且可以写入。动画仍在，请及时导出工程。";
inline constexpr const char* kRecoveryStillThere = "\n动画仍在，请及时导出工程。";

// --- sharing, importing text, the Windows program -------------------------
// %1 is the file.
inline constexpr const char* kShareFailed = "导出失败：%1";
// Where in a text file: %1 line, %2 column.
inline constexpr const char* kTextWhere = "第 %1 行第 %2 列";
// %1 is kTextWhere, %2 the byte (0xNN) or the character.
inline constexpr const char* kTextNotText =
    "%1的字节 %2 不是文字：这个文件既不是 UTF-8 也不是 GBK 编码的文本。";
inline constexpr const char* kTextNotGbk = "%1的字符“%2”无法用 GBK 保存，请删除或替换后再导入。";
// %1 is the frame limit.
inline constexpr const char* kTextTooManyFrames = "文本文件中的帧超过了上限 %1 帧，无法导入。";
// %1 is the file, %2 the system's reason.
inline constexpr const char* kTextUnreadable = "无法读取文本文件：\n%1\n（%2）";
inline constexpr const char* kCannotCreateProject =
    "无法创建工程文件：\n%1\n（%2）\n请确认工作目录下的 Project 文件夹存在并且可以写入。";
inline constexpr const char* kTooManyProjectsPerSecond =
    "无法创建工程文件：同一秒内创建的工程太多。\n请稍后再试。";
// %1 is the folder or file, %2 the system's reason.
inline constexpr const char* kWindowsNoTempFolder =
    "无法准备编译 Windows 程序的临时文件夹：\n%1\n%2";
inline constexpr const char* kWindowsCannotWriteSource = "无法写入临时代码文件：\n%1\n%2";
// %1 is the cross compiler's name.
inline constexpr const char* kWindowsCompilerNotStarted = "无法启动 Windows 交叉编译器 %1。";
inline constexpr const char* kWindowsCompileTimedOut =
    "编译 Windows 程序超过了时间限制，已被停止。";
inline constexpr const char* kWindowsCompileFailed = "编译 Windows 程序失败。";
inline constexpr const char* kWindowsCompilerOutput = "编译器的输出：\n";
inline constexpr const char* kWindowsProgramIncomplete =
    "编译器没有生成完整的 Windows 程序（磁盘可能已满）。";
inline constexpr const char* kWindowsCannotMoveProgram =
    "无法把 Windows 程序放进 Animate 文件夹：\n%1\n%2\n请确认该文件夹存在并且可以写入。";

inline constexpr const char* kTextFramesEmpty = "文本文件是空的，没有可以导入的帧。";
inline constexpr const char* kWindowsCompilerMissing =
    "找不到 Windows 交叉编译器 x86_64-w64-mingw32-gcc，无法编译为 Windows 程序。\n"
    "请先安装 gcc-mingw-w64-x86-64（在终端中运行：sudo apt-get install gcc-mingw-w64-x86-64）。";

// The text with %1, %2, ... replaced by the arguments in one pass, so an
// argument holding "%2" stays as it is.
std::string Format(std::string_view text, std::initializer_list<std::string_view> args);

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

// --- frames from a text file: streaming limits, controls, arguments -------
// %1 is kTextWhere, %2 the character as U+XXXX.
inline constexpr const char* kTextControl =
    "%1有控制字符 %2，无法导入：帧里除了制表符不能有控制字符。请删除后再导入。";
// %1 is the line number, %2 the limit ("64 KiB").
inline constexpr const char* kTextLineTooLong =
    "文本文件第 %1 行超过了一行的上限 %2，无法导入：这不像是画面的文字。";
// %1 is the frame number, %2 the line it starts on, %3 the limit ("8 MiB").
inline constexpr const char* kTextFrameTooLarge =
    "文本文件的第 %1 帧（从第 %2 行开始）超过了一帧的上限 %3，无法导入。\n"
    "帧与帧之间要用分隔行隔开（默认是只含换页符的一行）。";
// %1 is the limit ("2 GiB").
inline constexpr const char* kTextTooLarge = "文本文件超过了上限 %1，无法导入。";
inline constexpr const char* kTextOutOfMemory = "内存不足，无法导入这个文本文件中的帧。";
inline constexpr const char* kTextStandardInput = "标准输入";
// Arguments of --import; %1 is the option, %2 what it needs.
inline constexpr const char* kImportMissingValue = "%1 后面缺少%2";
inline constexpr const char* kImportSeparatorControl =
    "--separator 的分隔行不能含有换行、换页符或其他控制字符（制表符除外）：%1\n"
    "换页符总是把帧隔开，不必再写进分隔行。";
// %1 is the name given.
inline constexpr const char* kImportNameControl = "--name 的名称不能含有换行或其他控制字符：%1";

// The window and its messages (screen, folders, start-up project).
// Opening a folder or the guide: %1 names what, %2 is its full path. The
// opener ran but nothing on the system is set up to open it.
inline constexpr const char* kCannotOpenNoProgram =
    "无法打开%1：\n%2\nxdg-open 已运行，但系统中没有设置可以打开它的程序。"
    "请安装一个文件管理器（例如 pcmanfm），或在桌面的设置中为文件夹选择默认程序。";
// ... it is not there at all.
inline constexpr const char* kCannotOpenMissing = "无法打开%1：\n%2\n它不存在。";
// A project that could not be opened: %1 the reason, %2 the file's path.
inline constexpr const char* kOpenFailedNamed = "%1\n文件：%2";

// --- zoetrix --play: the frames chosen, the status row, the terminal --------
inline constexpr const char* kPlayNoFrames = "这个工程没有帧，没有可播放的内容。";
// %1 is the frame count.
inline constexpr const char* kPlayFrameSpan = "该动画共有 %1 帧（帧号 1 到 %1）。";
// %1 is kPlayFrameSpan.
inline constexpr const char* kPlayFromOutOfRange = "--from 的帧号超出范围：%1";
inline constexpr const char* kPlayToOutOfRange = "--to 的帧号超出范围：%1";
inline constexpr const char* kPlayToBeforeFrom = "--to 的帧号不能小于 --from 的帧号。";
// %1 is the system's reason.
inline constexpr const char* kPlayWriteFailed = "无法写出动画：%1";
// The locale names an encoding the text cannot be sent in; %1 is its name.
inline constexpr const char* kPlayEncodingUnknown = "不认识终端编码 %1，改用 UTF-8 显示。";
inline constexpr const char* kPlayEncodingUnsafe =
    "终端编码 %1 与 ASCII 不兼容或带有切换状态，改用 UTF-8 显示。";
// The status row below the picture, GBK characters only: %1 is the speed,
// %2 the frame on screen (numbered from 1).
inline constexpr const char* kPlayStatusPlaying =
    "播放中 · 速度 %1 倍 · 空格 暂停  + - 快慢  q 退出";
inline constexpr const char* kPlayStatusPaused =
    "已暂停 · 第 %2 帧 · 速度 %1 倍 · 空格 继续  ← → 逐帧  q 退出";

// --- export: new names only, interrupted and failed runs -------------------
// %1 is the file found at one of the animation's names.
inline constexpr const char* kExportTargetExists =
    "没有覆盖已有的文件：\n%1\n它不是这个动画导出的。请把它移走或改名后再导出。";
// A stamp for shared formats alone: %1 is the file, %2 the system's reason.
inline constexpr const char* kCannotClaimShareFile =
    "无法创建文件：\n%1\n（%2）\n请确认工作目录下的 Animate 文件夹存在并且可以写入。";
inline constexpr const char* kTooManySharesPerSecond =
    "无法导出：同一秒内导出的动画太多。\n请稍后再试。";
// zoetrix --export after a failure, and after a compile problem (the files
// kept are listed on standard output).
inline constexpr const char* kExportRemovedRunFiles = "本次导出写出的文件已全部删除。";
inline constexpr const char* kExportKeptAfterCompileProblem =
    "编译没有成功；本次导出写出的文件已保留，以便检查：";

// --- export: a file of the animation changed since it was exported ----------
// %1 is a file this animation exported that was edited or replaced since.
inline constexpr const char* kExportTargetChanged =
    "没有覆盖文件：\n%1\n它在上次导出之后被修改或替换过。请把它移走或改名后再导出。";

// --- the history of frame steps: each step's name, as undo and redo name it -
inline constexpr const char* kStepAppendBlankFrame = "添加空白帧";
inline constexpr const char* kStepAddKeyFrame = "添加关键帧";
inline constexpr const char* kStepFillSecond = "添加帧并补足帧数";
inline constexpr const char* kStepFillHalfSecond = "添加帧并补足一半帧数";
inline constexpr const char* kStepAddDelayFrames = "添加帧以延时";
inline constexpr const char* kStepStoreFrame = "保存此帧内容";
inline constexpr const char* kStepKeepEditText = "修改帧内容";
inline constexpr const char* kStepDeleteLastFrame = "删除末尾帧";
inline constexpr const char* kStepDeleteLastFrames = "删除末尾的帧";
inline constexpr const char* kStepDeleteBetween = "删除两帧中间的帧";
inline constexpr const char* kStepDeleteFrame = "删除一帧";
inline constexpr const char* kStepAppendProject = "追加打开工程";
inline constexpr const char* kStepImportText = "导入文本";
inline constexpr const char* kStepInsertBlankFrame = "插入空白帧";
inline constexpr const char* kStepDuplicateFrame = "复制帧";
inline constexpr const char* kStepMoveFrames = "移动帧";
inline constexpr const char* kStepHoldFrame = "保持帧";

// --- the drawing canvas: text beyond its edge ------------------------------
// %1: the frames' numbers ("2、5、9", with "等" after the first ten), %2: how
// many there are.
inline constexpr const char* kFramesBeyondCanvas =
    "注意：第%1帧（共%2帧）有超出画布的内容。代码和编译出的程序照原样输出整帧；"
    "网页、GIF 和录屏只显示画布以内的部分。";

// --- shaping the sequence: frame commands, the frame strip, undo and redo ----
inline constexpr const char* kStepDeleteFrames = "删除选中的帧";
// Menu items (the edit area's context menu, the system menu, the strip's).
inline constexpr const char* kSeqInsertBlankMenu = "在后面插入空白帧(&N)\tCtrl+Shift+N";
inline constexpr const char* kSeqDuplicateMenu = "复制帧(&D)\tCtrl+Shift+D";
inline constexpr const char* kSeqMoveEarlierMenu = "前移一帧(&U)\tCtrl+Shift+PgUp";
inline constexpr const char* kSeqMoveLaterMenu = "后移一帧(&W)\tCtrl+Shift+PgDown";
inline constexpr const char* kSeqMoveToMenu = "移动到第几帧(&M)...\tCtrl+Shift+M";
inline constexpr const char* kSeqHoldMenu = "保持帧：添加副本(&H)...\tCtrl+Shift+H";
inline constexpr const char* kSeqHoldSecondsMenu = "保持帧：按秒数(&T)...\tCtrl+Shift+T";
inline constexpr const char* kSeqDeleteMenu = "删除帧(&L)\tCtrl+Shift+Del";
inline constexpr const char* kSeqStripMenu = "帧条(&F)\tCtrl+Shift+F";
// %1 is the step's name (kStep...), or kUndoTypingName.
inline constexpr const char* kUndoMenu = "撤销 %1(&Z)\tCtrl+Z";
inline constexpr const char* kRedoMenu = "重做 %1(&Y)\tCtrl+Y";
inline constexpr const char* kUndoNothingMenu = "撤销(&Z)\tCtrl+Z";
inline constexpr const char* kRedoNothingMenu = "重做(&Y)\tCtrl+Y";
// What Ctrl+Z undoes while the edit area has typing of its own to undo.
inline constexpr const char* kUndoTypingName = "输入";
// The number asked for by a command (dialog "SequenceNumber").
inline constexpr const char* kSeqNumberOk = "确定";
inline constexpr const char* kSeqNumberCancel = "取消";
inline constexpr const char* kSeqHoldCaption = "保持帧";
inline constexpr const char* kSeqHoldPrompt = "在每一帧后面添加几个副本：";
inline constexpr const char* kSeqHoldSecondsPrompt =
    "保持几秒（每秒按帧频添加副本，与“添加帧以延时”相同）：";
inline constexpr const char* kSeqMoveCaption = "移动帧";
// %1 is the last number the frame (or the block's first frame) can take.
inline constexpr const char* kSeqMovePrompt = "移动到第几帧（1 到 %1）：";
// The frame strip's window: %1 is the frame count.
inline constexpr const char* kStripCaption =
    "帧条 - 共 %1 帧（红框：编辑区的帧，蓝框：预览区的帧）";
// --- frames from pictures and video clips ------------------------------------
// %1 is the file (or folder), %2 the reason the decoder gave.
inline constexpr const char* kPictureUnreadable = "无法读取图片或视频：\n%1\n（%2）";
inline constexpr const char* kPictureNoPicture = "文件里没有图片或视频画面";
// %1 x %2 is the picture's size, %3 the largest side allowed.
inline constexpr const char* kPictureTooLarge = "画面太大（%1x%2），宽和高最多 %3 像素";
// %1 is the frame limit.
inline constexpr const char* kPictureTooManyFrames = "导入的帧超过了上限 %1 帧，无法导入。";
inline constexpr const char* kPictureNothingInPart = "所选的时间段里没有画面，无法导入：\n%1";
inline constexpr const char* kPictureEmptyFolder =
    "文件夹里没有图片（PNG、JPEG、GIF、WebP、BMP），无法导入：\n%1";
inline constexpr const char* kPictureOutOfMemory = "内存不足，无法导入这些画面。";
inline constexpr const char* kImportPicturesMenuText = "从图片或视频导入帧…";
inline constexpr const char* kImportPicturesFilter =
    "图片和视频 (*.png *.jpg *.jpeg *.gif *.webp *.bmp *.mp4 *.m4v *.mkv *.webm *.avi *.mov "
    "*.mpg *.mpeg *.ogv *.flv *.wmv *.ts);;所有文件 (*)";
inline constexpr const char* kStepImportPictures = "导入图片";

// --- the picture traced behind the canvas ------------------------------------
inline constexpr const char* kTraceFilter = "图片 (*.png *.jpg *.jpeg *.bmp *.gif *.webp)";
// %1: the file.
inline constexpr const char* kTraceUnreadable = "无法读取图片：%1\n描图保持原样。";

// --- long jobs: what each stage is doing, its progress and cancelling --------
inline constexpr const char* kJobWriteCode = "写入代码";
inline constexpr const char* kJobCompile = "编译";
inline constexpr const char* kJobSaveProject = "保存工程";
inline constexpr const char* kJobShareHtml = "生成网页";
inline constexpr const char* kJobShareGif = "生成 GIF";
inline constexpr const char* kJobShareCast = "生成录屏";
inline constexpr const char* kJobShareWindows = "生成 Windows 程序";
inline constexpr const char* kJobOpenProject = "读取工程";
inline constexpr const char* kJobImportText = "导入文本";
inline constexpr const char* kJobImportPictures = "转换画面";
inline constexpr const char* kJobCancel = "取消";
// The progress window between 取消 and the job's end.
inline constexpr const char* kJobCancelling = "正在取消…";
// The status line after a cancelled job; %1 is what it was doing.
inline constexpr const char* kJobCancelled = "已取消：%1";
// Progress: %1 what, %2 frames done, %3 of how many.
inline constexpr const char* kJobFramesOf = "%1：第 %2 帧，共 %3 帧";
// Without a known total: %1 what, %2 frames done.
inline constexpr const char* kJobFrames = "%1：%2 帧";
// %1 frames per second.
inline constexpr const char* kJobRate = "每秒 %1 帧";
// %1 the time left ("12 秒", "3 分 5 秒").
inline constexpr const char* kJobTimeLeft = "还需 %1";
inline constexpr const char* kJobSeconds = "%1 秒";
inline constexpr const char* kJobMinutes = "%1 分 %2 秒";

}  // namespace res

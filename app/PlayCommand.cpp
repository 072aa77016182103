#include "app/PlayCommand.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "document/Animation.h"
#include "playback/TerminalPlayer.h"
#include "project/ProjectFile.h"
#include "res/Printable.h"

using output::ProjectReadResult;
using output::ReadProjectFile;

using playback::kMaxPlaySpeed;
using playback::kMinPlaySpeed;
using playback::PlaySettings;
using playback::PlayToStandardOutput;
using playback::SelectFrames;

const char* const kPlayUsage =
    "用法：zoetrix --play 工程.ini [--loop] [--speed 倍数] [--from 帧号] [--to 帧号]\n"
    "\n"
    "不打开窗口，也不需要编译器，在当前终端里播放一个工程，画面与编译出的程序相同：\n"
    "原地刷新、不闪烁，使用动画的颜色，中文按终端的编码显示，播放时隐藏光标。\n"
    "播放一遍后最后一帧留在屏幕上，提示符出现在它下面。\n"
    "  --loop          循环播放，直到按 q 或 Ctrl+C\n"
    "  --speed 倍数    播放速度，相对于工程的帧频（0.01 到 100，默认 1）\n"
    "  --from 帧号     从这一帧开始（帧号从 1 数起，默认第 1 帧）\n"
    "  --to 帧号       播放到这一帧为止，包括这一帧（默认最后一帧）\n"
    "播放时的按键：\n"
    "  空格            暂停 / 继续\n"
    "  ← →             暂停时后退 / 前进一帧\n"
    "  + -             加快 / 减慢（每次 1.25 倍）\n"
    "  q               退出\n"
    "终端在画面下方还有空行时，那一行显示正在播放还是已暂停、当前速度和这些按键。\n"
    "Ctrl+Z 暂停程序并交还终端，fg 后继续播放；Ctrl+C 结束。无论怎样结束，\n"
    "终端都恢复原样（光标、颜色、回显），终端的大小从不改变。\n"
    "输出不是终端时（管道、文件），不加控制序列、不等待，直接写出所选的各帧：\n"
    "每帧的各行以 LF 结尾，帧与帧之间是只含换页符的一行（\"\\f\\n\"），\n"
    "文字按终端的编码（LC_ALL、LC_CTYPE、LANG，未指定时为 UTF-8）；--loop 不起作用。\n"
    "终端的编码与 ASCII 不兼容或带有切换状态（如 UTF-16、ISO-2022）时改用 UTF-8，\n"
    "并在标准错误上说明。帧里的控制字符（制表符除外）从不输出。\n"
    "成功时以 0 退出；参数错误以 2 退出，其他问题把原因写到标准错误并以 1 退出。\n";

namespace {

struct PlayArguments {
  std::string project;
  bool loop = false;
  double speed = 1.0;
  std::optional<int> from, to;
  bool help = false;
  std::string error;
};

bool IsOption(const char* arg) { return arg[0] == '-' && arg[1] != '\0'; }

// What --play takes, and the commands it cannot go with: after an option
// that wants a value, only these mean the value is missing; anything else,
// "-1" included, is the value, checked like any other.
bool IsKnownOption(const std::string& arg) {
  for (const char* known :
       {"--play", "--loop", "--speed", "--from", "--to", "--help", "-h", "--export", "--import"})
    if (arg == known) return true;
  return false;
}

// A frame number: decimal digits only, no sign, within int.
std::optional<int> FrameNumber(const std::string& text) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return std::atoi(text.c_str());
}

std::optional<double> Speed(const std::string& text) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

PlayArguments Parse(int argc, char** argv) {
  PlayArguments a;
  bool playGiven = false;
  // The option's value, or an error when there is none.
  auto value = [&](int& i, const std::string& name) -> std::optional<std::string> {
    if (i + 1 >= argc || !*argv[i + 1] || IsKnownOption(argv[i + 1])) {
      a.error = name + " 后面缺少" +
                (name == "--speed"  ? "倍数"
                 : name == "--play" ? "工程文件名"
                                    : "帧号");
      return std::nullopt;
    }
    return std::string(argv[++i]);
  };
  bool speedGiven = false;
  for (int i = 1; i < argc && a.error.empty(); ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      a.help = true;
    } else if (arg == "--play") {
      if (playGiven) {
        a.error = "--play 只能给一次";
      } else if (auto v = value(i, arg)) {
        a.project = *v;
      }
      playGiven = true;
    } else if (arg == "--loop") {
      a.loop = true;
    } else if (arg == "--speed") {
      if (speedGiven) {
        a.error = "--speed 只能给一次";
      } else if (auto v = value(i, arg)) {
        const std::optional<double> speed = Speed(*v);
        if (!speed || *speed < kMinPlaySpeed || *speed > kMaxPlaySpeed)
          a.error = "--speed 的倍数必须是 0.01 到 100 之间的数：" + res::Printable(*v);
        else
          a.speed = *speed;
      }
      speedGiven = true;
    } else if (arg == "--from" || arg == "--to") {
      std::optional<int>& target = arg == "--from" ? a.from : a.to;
      if (target) {
        a.error = arg + " 只能给一次";
      } else if (auto v = value(i, arg)) {
        target = FrameNumber(*v);
        if (!target) a.error = arg + " 的帧号必须是正整数：" + res::Printable(*v);
      }
    } else if (arg == "--export") {
      a.error = "--play 和 --export 不能一起使用";
    } else {
      a.error = (IsOption(argv[i]) ? "无法识别的参数：" : "多余的参数：") + res::Printable(arg);
    }
  }
  return a;
}

}  // namespace

bool IsPlayCommand(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--play") == 0) return true;
  return false;
}

int RunPlayCommand(int argc, char** argv) {
  const PlayArguments args = Parse(argc, argv);
  if (args.help && args.error.empty()) {
    std::fputs(kPlayUsage, stdout);
    return 0;
  }
  if (!args.error.empty()) {
    std::fprintf(stderr, "%s\n\n%s", args.error.c_str(), kPlayUsage);
    return 2;
  }
  ProjectReadResult read = ReadProjectFile(std::filesystem::path(args.project));
  if (!read.ok()) {
    std::fprintf(stderr, "%s\n", read.error.c_str());
    return 1;
  }
  PlaySettings settings;
  const std::string problem =
      SelectFrames(read.animation.FrameCount(), args.from, args.to, &settings.range);
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    // Numbers that do not fit the animation are bad arguments; an
    // animation without frames is a problem of the file.
    return read.animation.FrameCount() < 1 ? 1 : 2;
  }
  settings.speed = args.speed;
  settings.loop = args.loop;
  settings.statusRow = true;
  return PlayToStandardOutput(read.animation, settings);
}

#include "app/ImportCommand.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "document/AnimationDocument.h"
#include "platform/Clock.h"
#include "platform/Cp936.h"
#include "platform/Interrupt.h"
#include "platform/ProgramFolder.h"
#include "project/TextFrames.h"
#include "res/Printable.h"
#include "res/Texts.h"

using document::kMaxCanvas;
using document::kMaxFrameRate;
using document::kMinFrameRate;

using output::MakeTextAnimation;
using output::ReadTextFrames;
using output::ReadTextFramesFile;
using output::TextFrameOptions;
using output::TextFramesResult;
using output::WriteNewProject;

const char* const kImportUsage =
    "用法：zoetrix --import 文本文件 [--separator 分隔行 | --block 行数] [--rate 帧频]\n"
    "                      [--name 名称] [--size 宽x高] [--colors 颜色代码]\n"
    "\n"
    "把文本文件中的各帧做成一个工程，写入 Project/（以当前时间命名），并列出它的路径。\n"
    "文本是有效的 UTF-8 时按 UTF-8 读，否则按 GBK 读；GBK 无法保存的字符会被拒绝。\n"
    "文本文件为 - 时读标准输入，例如：zoetrix --play a.ini | zoetrix --import -\n"
    "  --separator 分隔行  与这一行完全相同的行把帧隔开（默认：只含换页符的一行，\n"
    "                      也就是 zoetrix --play 写入管道时帧与帧之间的那一行）\n"
    "  --block 行数        每这么多行为一帧（1 到 100），换页符提前结束一帧\n"
    "  --rate 帧频         每秒的帧数，1 到 100（默认 24）\n"
    "  --name 名称         动画名称（默认“无题”）\n"
    "  --size 宽x高        画布尺寸，宽和高都是 11 到 100（默认 80x25）\n"
    "  --colors 颜色代码   两位十六进制数字，先背景色后字符色（默认 07：黑底白字）\n"
    "换页符总是把帧隔开，在行中间也一样；帧里除了制表符不能有控制字符。\n"
    "边读边分帧，超过上限即停止：1000000 帧，一行 64 KiB，一帧 8 MiB，整个文本 2 GiB。\n"
    "成功时以 0 退出；参数错误以 2 退出，其他问题把原因写到标准错误并以 1 退出。\n";

namespace {

constexpr int kMinImportCanvas = 11;  // what "新建" accepts

struct ImportArguments {
  std::string file;
  TextFrameOptions split;
  // The project's name, canvas, colours and rate: a new animation's unless given.
  document::Animation animation = document::DefaultAnimation();
  bool help = false;
  std::string error;
};

bool IsOption(const char* arg) { return arg[0] == '-' && arg[1] != '\0'; }

// What --import takes, and the commands it cannot go with: after an option
// that wants a value, only these mean the value is missing; anything else,
// "-80x25" included, is the value, checked like any other.
bool IsKnownOption(const std::string& arg) {
  for (const char* known : {"--import", "--separator", "--block", "--rate", "--name", "--size",
                            "--colors", "--help", "-h", "--export", "--play"})
    if (arg == known) return true;
  return false;
}

// Controls in a separator: no line holding one is accepted, and a form feed
// breaks frames by itself.
bool HasControl(const std::string& text) {
  for (const char c : text)
    if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) return true;
  return false;
}

// A whole decimal number from min to max.
std::optional<int> Number(const std::string& text, int min, int max) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const int n = std::atoi(text.c_str());
  if (n < min || n > max) return std::nullopt;
  return n;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

ImportArguments Parse(int argc, char** argv) {
  ImportArguments a;
  bool separatorGiven = false, blockGiven = false;
  std::string seen;  // options already given, each once
  auto once = [&](const std::string& name) {
    if (seen.find(name + " ") != std::string::npos) {
      a.error = name + " 只能给一次";
      return false;
    }
    seen += name + " ";
    return true;
  };
  // The option's value; a separator may be anything, even empty or "---".
  auto value = [&](int& i, const std::string& name, const char* what,
                   bool anything = false) -> std::optional<std::string> {
    if (i + 1 >= argc || (!anything && (!*argv[i + 1] || IsKnownOption(argv[i + 1])))) {
      a.error = res::Format(res::kImportMissingValue, {name, what});
      return std::nullopt;
    }
    return std::string(argv[++i]);
  };
  for (int i = 1; i < argc && a.error.empty(); ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      a.help = true;
    } else if (arg == "--import") {
      if (!once(arg)) break;
      if (auto v = value(i, arg, "文本文件名")) a.file = *v;
    } else if (arg == "--separator") {
      if (!once(arg)) break;
      separatorGiven = true;
      if (auto v = value(i, arg, "分隔行", true)) {
        if (*v != "\f" && HasControl(*v))
          a.error = res::Format(res::kImportSeparatorControl, {res::Printable(*v)});
        else
          a.split.separator = *v;
      }
    } else if (arg == "--block") {
      if (!once(arg)) break;
      blockGiven = true;
      if (auto v = value(i, arg, "行数")) {
        const std::optional<int> n = Number(*v, 1, kMaxCanvas);
        if (!n)
          a.error = "--block 的行数必须是 1 到 " + std::to_string(kMaxCanvas) + " 之间的整数：" +
                    res::Printable(*v);
        else
          a.split.blockHeight = *n;
      }
    } else if (arg == "--rate") {
      if (!once(arg)) break;
      if (auto v = value(i, arg, "帧频")) {
        const std::optional<int> n = Number(*v, kMinFrameRate, kMaxFrameRate);
        if (!n)
          a.error = "--rate 的帧频必须是 " + std::to_string(kMinFrameRate) + " 到 " +
                    std::to_string(kMaxFrameRate) + " 之间的整数：" + res::Printable(*v);
        else
          a.animation.m_nRate = *n;
      }
    } else if (arg == "--name") {
      if (!once(arg)) break;
      if (auto v = value(i, arg, "名称", true)) {
        const platform::cp936::GbkResult gbk = platform::cp936::ToGbk(*v);
        if (HasControl(*v) || v->find('\t') != std::string::npos)
          a.error = res::Format(res::kImportNameControl, {res::Printable(*v)});
        else if (!gbk.ok())
          a.error = "--name 的名称含有 GBK 无法保存的字符：" + res::Printable(*v);
        else
          a.animation.m_strAnimName = gbk.bytes;
      }
    } else if (arg == "--size") {
      if (!once(arg)) break;
      if (auto v = value(i, arg, "宽x高")) {
        const std::size_t x = v->find_first_of("xX");
        const std::optional<int> w = x == std::string::npos
                                         ? std::nullopt
                                         : Number(v->substr(0, x), kMinImportCanvas, kMaxCanvas);
        const std::optional<int> h = x == std::string::npos
                                         ? std::nullopt
                                         : Number(v->substr(x + 1), kMinImportCanvas, kMaxCanvas);
        if (!w || !h) {
          a.error = "--size 必须是 宽x高，宽和高都是 " + std::to_string(kMinImportCanvas) + " 到 " +
                    std::to_string(kMaxCanvas) + " 之间的整数：" + res::Printable(*v);
        } else {
          a.animation.m_nAnimWide = *w;
          a.animation.m_nAnimHigh = *h;
        }
      }
    } else if (arg == "--colors") {
      if (!once(arg)) break;
      if (auto v = value(i, arg, "颜色代码")) {
        if (v->size() != 2 || HexDigit((*v)[0]) < 0 || HexDigit((*v)[1]) < 0) {
          a.error = "--colors 必须是两位十六进制数字（0-9、A-F），先背景色后字符色：" +
                    res::Printable(*v);
        } else {
          const char digits[] = "0123456789ABCDEF";
          a.animation.m_strColor = {digits[HexDigit((*v)[0])], digits[HexDigit((*v)[1])]};
        }
      }
    } else if (arg == "--export" || arg == "--play") {
      a.error = "--import 和 " + arg + " 不能一起使用";
    } else {
      a.error = (IsOption(argv[i]) ? "无法识别的参数：" : "多余的参数：") + res::Printable(arg);
    }
  }
  if (a.error.empty() && separatorGiven && blockGiven)
    a.error = "--separator 和 --block 只能选一个";
  if (a.error.empty() && !a.help && a.file.empty()) a.error = "缺少 --import 文本文件";
  return a;
}

// The frames of the file, read as they come; "-" is standard input.
TextFramesResult ReadFrames(const std::string& file, const TextFrameOptions& options) {
  if (file == "-") return ReadTextFrames(0, res::kTextStandardInput, options);
  return ReadTextFramesFile(file, options);
}

}  // namespace

bool IsImportCommand(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--import") == 0) return true;
  return false;
}

int RunImportCommand(int argc, char** argv) {
  const ImportArguments args = Parse(argc, argv);
  if (args.help && args.error.empty()) {
    std::fputs(kImportUsage, stdout);
    return 0;
  }
  if (!args.error.empty()) {
    std::fprintf(stderr, "%s\n\n%s", args.error.c_str(), kImportUsage);
    return 2;
  }
  TextFramesResult split = ReadFrames(args.file, args.split);
  if (!split.ok()) {
    std::fprintf(stderr, "%s\n", split.error.c_str());
    return 1;
  }
  std::string path;
  // From the claimed name on, an interrupt removes the claim and the
  // half-written project; once written, the project is the result and stays.
  std::optional<platform::InterruptCleanup> interrupts(std::in_place);
  const std::string problem =
      WriteNewProject(platform::WorkFolder(), platform::Now(),
                      MakeTextAnimation(std::move(split.frames), args.animation), &path);
  interrupts.reset();
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 1;
  }
  std::printf("%s\n", path.c_str());
  return 0;
}

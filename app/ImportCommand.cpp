#include "app/ImportCommand.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "app/ProgressLine.h"
#include "document/AnimationDocument.h"
#include "document/Screen.h"
#include "picture/PictureImport.h"
#include "picture/PictureProject.h"
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
    "                      [--name 名称] [--size 宽x高] [--colors 颜色代码] [--quiet]\n"
    "      zoetrix --import 图片、视频或文件夹 [更多图片…] [--symbols 字符集] [--invert]\n"
    "                      [--dither 方式] [--from 秒] [--to 秒] [--rate 帧频]\n"
    "                      [--name 名称] [--size 宽x高] [--colors 颜色代码] [--quiet]\n"
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
    "  --quiet             不显示进度（标准错误是终端时，默认在一行里显示进度）\n"
    "换页符总是把帧隔开，在行中间也一样；帧里除了制表符不能有控制字符。\n"
    "边读边分帧，超过上限即停止：1000000 帧，一行 64 KiB，一帧 8 MiB，整个文本 2 GiB。\n"
    "\n"
    "图片（PNG、JPEG、GIF、WebP、BMP）和视频（MP4、MKV、WebM、AVI、MOV 等）则画成字符：\n"
    "每张图片一帧；文件夹按编号顺序取其中的图片（2.png 在 10.png 之前）；动态 GIF 和视频\n"
    "按帧频取画面，一张画面显示多久就重复多少帧。画面按比例缩放到画布里（一格高是宽的\n"
    "两倍），居中。字符颜色比背景色亮时（如黑底白字），画面亮的地方画字符、暗的地方留空；\n"
    "字符颜色较暗时反之。\n"
    "  --symbols 字符集    ascii（默认，每个字符一格）、blocks（方块 █▄▌▓■◢ 等）\n"
    "                      或 lines（制表符 ─│┌╋╱ 等）；方块和线条每个占两格\n"
    "  --invert            反过来画（底片）\n"
    "  --dither 方式       ordered（默认，有规律的点阵表现明暗，视频中不闪烁）、\n"
    "                      diffusion（误差扩散，更细腻）或 none（只有轮廓和剪影）\n"
    "  --from 秒、--to 秒  只取视频或动态 GIF 的这一段，例如 --from 1.5 --to 4\n"
    "图片的宽和高最多 16384 像素；总帧数最多 1000000 帧。以 .png 等结尾的文件、多个文件、\n"
    "文件夹，或给了上面这些选项时按图片导入。\n"
    "成功时以 0 退出；参数错误以 2 退出，其他问题把原因写到标准错误并以 1 退出。\n";

namespace {

constexpr int kMinImportCanvas = 11;  // what "新建" accepts

struct ImportArguments {
  std::string file;
  std::vector<std::string> more;  // further pictures after the first
  TextFrameOptions split;
  bool splitGiven = false;  // --separator or --block
  picture::PictureImportOptions pictures;
  bool pictureOptions = false;  // an option only pictures take
  // The project's name, canvas, colours and rate: a new animation's unless given.
  document::Animation animation = document::DefaultAnimation();
  bool help = false;
  bool quiet = false;  // no progress line
  std::string error;
};

bool IsOption(const char* arg) { return arg[0] == '-' && arg[1] != '\0'; }

// What --import takes, and the commands it cannot go with: after an option
// that wants a value, only these mean the value is missing; anything else,
// "-80x25" included, is the value, checked like any other.
bool IsKnownOption(const std::string& arg) {
  for (const char* known :
       {"--import", "--separator", "--block", "--rate", "--name", "--size", "--colors", "--symbols",
        "--invert", "--dither", "--from", "--to", "--quiet", "--help", "-h", "--export", "--play"})
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

// Seconds: a decimal number such as 12 or 1.5, at most a day.
std::optional<double> Seconds(const std::string& text) {
  const std::size_t dot = text.find('.');
  const std::string whole = text.substr(0, dot);
  const std::string part = dot == std::string::npos ? "" : text.substr(dot + 1);
  const auto digits = [](const std::string& t) {
    return t.find_first_not_of("0123456789") == std::string::npos;
  };
  if (whole.empty() || whole.size() > 5 || part.size() > 6 || !digits(whole) || !digits(part) ||
      (dot != std::string::npos && part.empty()))
    return std::nullopt;
  const double seconds = std::atof(text.c_str());
  if (seconds > 86400) return std::nullopt;
  return seconds;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Whether the inputs are pictures (or clips, or folders of pictures).
bool ArePictures(const ImportArguments& a) {
  if (a.pictureOptions) return true;
  std::vector<std::string> inputs{a.file};
  inputs.insert(inputs.end(), a.more.begin(), a.more.end());
  for (const std::string& input : inputs) {
    std::error_code ec;
    if (picture::IsPictureName(input) || std::filesystem::is_directory(input, ec)) return true;
  }
  return false;
}

// Text and pictures take options of their own.
void CheckKind(ImportArguments& a) {
  if (!ArePictures(a)) {
    if (!a.more.empty()) a.error = "多余的参数：" + res::Printable(a.more.front());
    return;
  }
  if (a.splitGiven)
    a.error = "--separator 和 --block 只用于文本文件，不能用于图片或视频";
  else if (a.file == "-" || std::find(a.more.begin(), a.more.end(), "-") != a.more.end())
    a.error = "图片和视频不能从标准输入读取，请给出文件名";
  else if (a.pictures.to >= 0 && a.pictures.to <= a.pictures.from)
    a.error = "--to 必须在 --from 之后";
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
      a.splitGiven = true;
      if (auto v = value(i, arg, "分隔行", true)) {
        if (*v != "\f" && HasControl(*v))
          a.error = res::Format(res::kImportSeparatorControl, {res::Printable(*v)});
        else
          a.split.separator = *v;
      }
    } else if (arg == "--block") {
      if (!once(arg)) break;
      blockGiven = true;
      a.splitGiven = true;
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
    } else if (arg == "--symbols") {
      if (!once(arg)) break;
      a.pictureOptions = true;
      if (auto v = value(i, arg, "字符集")) {
        if (*v == "ascii")
          a.pictures.characters.symbols = picture::Symbols::Ascii;
        else if (*v == "blocks")
          a.pictures.characters.symbols = picture::Symbols::Blocks;
        else if (*v == "lines")
          a.pictures.characters.symbols = picture::Symbols::Lines;
        else
          a.error = "--symbols 的字符集必须是 ascii、blocks 或 lines：" + res::Printable(*v);
      }
    } else if (arg == "--dither") {
      if (!once(arg)) break;
      a.pictureOptions = true;
      if (auto v = value(i, arg, "方式")) {
        if (*v == "none")
          a.pictures.characters.dither = picture::Dither::None;
        else if (*v == "ordered")
          a.pictures.characters.dither = picture::Dither::Ordered;
        else if (*v == "diffusion")
          a.pictures.characters.dither = picture::Dither::Diffusion;
        else
          a.error = "--dither 的方式必须是 none、ordered 或 diffusion：" + res::Printable(*v);
      }
    } else if (arg == "--quiet") {
      if (!once(arg)) break;
      a.quiet = true;
    } else if (arg == "--invert") {
      if (!once(arg)) break;
      a.pictureOptions = true;
      a.pictures.characters.invert = true;
    } else if (arg == "--from" || arg == "--to") {
      if (!once(arg)) break;
      a.pictureOptions = true;
      if (auto v = value(i, arg, "秒数")) {
        const std::optional<double> seconds = Seconds(*v);
        if (!seconds)
          a.error = arg + " 的秒数必须是 0 到 86400 之间的数，例如 1.5：" + res::Printable(*v);
        else
          (arg == "--from" ? a.pictures.from : a.pictures.to) = *seconds;
      }
    } else if (!a.file.empty() && !IsOption(argv[i])) {
      a.more.push_back(arg);
    } else if (arg == "--export" || arg == "--play") {
      a.error = "--import 和 " + arg + " 不能一起使用";
    } else {
      a.error = (IsOption(argv[i]) ? "无法识别的参数：" : "多余的参数：") + res::Printable(arg);
    }
  }
  if (a.error.empty() && separatorGiven && blockGiven)
    a.error = "--separator 和 --block 只能选一个";
  if (a.error.empty() && !a.help && a.file.empty()) a.error = "缺少 --import 文本文件";
  if (a.error.empty() && !a.help) CheckKind(a);
  return a;
}

// The pictures' frames written into a new project as they are drawn; prints
// why not and returns false when refused. An interrupt from the claimed name
// on removes the claim and what was written.
bool WritePictureProject(const ImportArguments& args, std::string* path, ProgressLine& line,
                         platform::JobProgress& job) {
  std::vector<std::string> inputs{args.file}, files;
  inputs.insert(inputs.end(), args.more.begin(), args.more.end());
  std::string problem;
  if (!picture::ListPictureFiles(inputs, &files, &problem)) {
    line.Say(stderr, problem);
    return false;
  }
  picture::PictureImportOptions options = args.pictures;
  options.characters.width = args.animation.m_nAnimWide;
  options.characters.height = args.animation.m_nAnimHigh;
  options.characters.colors = document::ShownColors(args.animation.m_strColor);
  options.rate = args.animation.m_nRate;
  picture::PictureImportResult result;
  try {
    platform::InterruptCleanup interrupts;
    result = picture::WritePictureProject(files, options, args.animation, platform::WorkFolder(),
                                          platform::Now(), path, &job);
  } catch (const std::bad_alloc&) {
    result.error = res::kPictureOutOfMemory;
  }
  if (!result.error.empty()) {
    line.Say(stderr, result.error);
    return false;
  }
  return true;
}

// The frames of the file, read as they come; "-" is standard input.
TextFramesResult ReadFrames(const std::string& file, const TextFrameOptions& options,
                            platform::JobProgress& job) {
  if (file == "-") return ReadTextFrames(0, res::kTextStandardInput, options, &job);
  return ReadTextFramesFile(file, options, &job);
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
  // One line on a terminal while the frames are read and written; gone
  // before anything else is printed.
  // Not while frames are typed at the terminal: the line would wipe them.
  const bool typed = args.file == "-" && ::isatty(STDIN_FILENO) == 1;
  platform::JobProgress job;
  ProgressLine line(job, ProgressLine::Wanted(args.quiet) && !typed);
  std::string path;
  if (ArePictures(args)) {
    const bool written = WritePictureProject(args, &path, line, job);
    line.Stop();
    if (!written) return 1;
    std::printf("%s\n", path.c_str());
    return 0;
  }
  TextFramesResult split = ReadFrames(args.file, args.split, job);
  if (!split.ok()) {
    line.Say(stderr, split.error);
    return 1;
  }
  const document::Animation animation = MakeTextAnimation(std::move(split.frames), args.animation);
  // From the claimed name on, an interrupt removes the claim and the
  // half-written project; once written, the project is the result and stays.
  std::optional<platform::InterruptCleanup> interrupts(std::in_place);
  const std::string problem =
      WriteNewProject(platform::WorkFolder(), platform::Now(), animation, &path, &job);
  interrupts.reset();
  line.Stop();
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 1;
  }
  std::printf("%s\n", path.c_str());
  return 0;
}

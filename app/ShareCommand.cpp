#include "app/ShareCommand.h"

#include "app/ProgressLine.h"

#include <cstdio>
#include <utility>

using document::Animation;
using document::ExportSession;

using output::ShareAnimation;
using output::ShareFormat;

const char* const kShareUsage =
    "  --html      导出为网页 (*.html)：不需要网络的单个文件，用浏览器打开即可播放\n"
    "  --gif       导出为 GIF 动画 (*.gif)\n"
    "  --cast      导出为 asciicast 录像 (*.cast)：用 asciinema play 在终端里播放\n"
    "  --windows   编译为 Windows 程序 (*-windows.exe)，需要 gcc-mingw-w64-x86-64\n"
    "              （--endless 时循环播放）\n"
    "这四种文件都写入 Animate/，以动画的时间命名。\n";

bool TakeShareOption(const std::string& arg, ShareOptions& options) {
  const std::pair<const char*, bool ShareOptions::*> kOptions[] = {
      {"--html", &ShareOptions::html},
      {"--gif", &ShareOptions::gif},
      {"--cast", &ShareOptions::cast},
      {"--windows", &ShareOptions::windows},
  };
  for (const auto& [name, flag] : kOptions) {
    if (arg == name) {
      options.*flag = true;
      return true;
    }
  }
  return false;
}

std::vector<ShareFormat> ChosenFormats(const ShareOptions& options) {
  std::vector<ShareFormat> formats;
  if (options.html) formats.push_back(ShareFormat::Html);
  if (options.gif) formats.push_back(ShareFormat::Gif);
  if (options.cast) formats.push_back(ShareFormat::Cast);
  if (options.windows) formats.push_back(ShareFormat::Windows);
  return formats;
}

bool RunShares(const Animation& animation, ExportSession& session, const ShareOptions& options,
               bool endless, platform::JobProgress* job, ProgressLine* line) {
  for (ShareFormat format : ChosenFormats(options)) {
    const std::string problem = ShareAnimation(animation, session, format, endless, job);
    if (problem.empty()) continue;
    if (line)
      line->Say(stderr, problem);
    else
      std::fprintf(stderr, "%s\n", problem.c_str());
    return false;
  }
  return true;
}

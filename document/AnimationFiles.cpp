#include "document/AnimationFiles.h"

namespace document {

std::string MakeCreationStamp(const platform::LocalTime& t) {
  return std::to_string(t.year) + "_" + std::to_string(t.month) + "_" + std::to_string(t.day) +
         "_" + std::to_string(t.hour) + "_" + std::to_string(t.minute) + "_" +
         std::to_string(t.second);
}

AnimationPaths MakeAnimationPaths(const std::string& programFolder, const std::string& stamp) {
  return {programFolder + "Project/" + stamp + ".ini", programFolder + "Animate/" + stamp + ".exe",
          programFolder + "Code/" + stamp + ".exe", programFolder + "Code/" + stamp + ".c"};
}

std::string SharePathFor(const std::string& exePath, ShareFormat format) {
  std::string base = exePath;
  if (base.size() >= 4 && base.compare(base.size() - 4, 4, ".exe") == 0)
    base.resize(base.size() - 4);
  switch (format) {
    case ShareFormat::Html:
      return base + ".html";
    case ShareFormat::Gif:
      return base + ".gif";
    case ShareFormat::Cast:
      return base + ".cast";
    case ShareFormat::Windows:
      return base + "-windows.exe";
  }
  return base;
}

}  // namespace document

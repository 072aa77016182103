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

}  // namespace document

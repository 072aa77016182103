#include "document/AnimationFiles.h"

#include <filesystem>
#include <system_error>

std::string MakeCreationStamp(const platform::LocalTime& t) {
  return std::to_string(t.year) + "_" + std::to_string(t.month) + "_" + std::to_string(t.day) +
         "_" + std::to_string(t.hour) + "_" + std::to_string(t.minute) + "_" +
         std::to_string(t.second);
}

AnimationPaths MakeAnimationPaths(const std::string& programFolder, const std::string& stamp) {
  return {programFolder + "Project/" + stamp + ".ini", programFolder + "Animate/" + stamp + ".exe",
          programFolder + "Code/" + stamp + ".exe", programFolder + "Code/" + stamp + ".c"};
}

AnimationPaths NewAnimationPaths(const std::string& programFolder, const platform::LocalTime& t) {
  const std::string stamp = MakeCreationStamp(t);
  AnimationPaths paths = MakeAnimationPaths(programFolder, stamp);
  auto taken = [](const AnimationPaths& p) {
    std::error_code ec;
    for (const std::string* path : {&p.project, &p.exe, &p.build, &p.code})
      if (std::filesystem::exists(*path, ec)) return true;
    return false;
  };
  for (int n = 2; taken(paths) && n < 10000; ++n)
    paths = MakeAnimationPaths(programFolder, stamp + "_" + std::to_string(n));
  return paths;
}

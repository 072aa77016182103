#include "project/StampClaim.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/SafeFile.h"

using document::AnimationPaths;
using document::MakeAnimationPaths;
using document::ShareFormat;
using document::SharePathFor;

namespace output {

namespace {

constexpr int kMostNamesPerSecond = 9999;

constexpr ShareFormat kShareFormats[] = {ShareFormat::Html, ShareFormat::Gif, ShareFormat::Cast,
                                         ShareFormat::Windows};

// Anything at a name counts, a dangling link included.
bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// A file of the stamp other than `claim`, the one being claimed.
bool OtherFilesExist(const AnimationPaths& p, const std::string& claim) {
  for (const std::string* path : {&p.code, &p.project, &p.exe, &p.build})
    if (*path != claim && Exists(*path)) return true;
  for (ShareFormat format : kShareFormats) {
    const std::string path = SharePathFor(p.exe, format);
    if (path != claim && Exists(path)) return true;
  }
  return false;
}

}  // namespace

Claim ClaimStamp(const std::string& programFolder, const std::string& stamp,
                 const std::function<std::string(const AnimationPaths&)>& claimFile,
                 AnimationPaths* paths, std::FILE** made) {
  for (int n = 1; n <= kMostNamesPerSecond; ++n) {
    *paths = MakeAnimationPaths(programFolder, n == 1 ? stamp : stamp + "_" + std::to_string(n));
    const std::string claim = claimFile(*paths);
    if (OtherFilesExist(*paths, claim)) continue;
    std::FILE* file = platform::CreateNewFileStream(claim, "wb+");
    if (!file && errno == EEXIST) continue;
    if (!file) return Claim::CannotCreate;
    if (OtherFilesExist(*paths, claim)) {
      std::fclose(file);
      platform::RemoveFile(claim);
      continue;
    }
    *made = file;
    return Claim::Made;
  }
  return Claim::TooMany;
}

}  // namespace output

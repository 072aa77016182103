#include "output/CodeFile.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/SafeFile.h"
#include "res/Texts.h"

using document::AnimationDocument;
using document::AnimationPaths;
using document::MakeAnimationPaths;
using document::MakeCreationStamp;

namespace output {

namespace {

constexpr int kMostNamesPerSecond = 9999;

bool AnyExists(const AnimationPaths& p) {
  std::error_code ec;
  for (const std::string* path : {&p.project, &p.exe, &p.build})
    if (std::filesystem::exists(*path, ec)) return true;
  return false;
}

std::string CannotCreate(const std::string& path) {
  return res::Format(res::kCannotCreateCodeFile, {path});
}

}  // namespace

std::string StartCodeFile(AnimationDocument& doc, const std::string& programFolder,
                          const ProgramHeader& header, AnimationPaths* paths) {
  const std::string stamp = MakeCreationStamp(header.created);
  for (int n = 1; n <= kMostNamesPerSecond; ++n) {
    const AnimationPaths candidate =
        MakeAnimationPaths(programFolder, n == 1 ? stamp : stamp + "_" + std::to_string(n));
    if (AnyExists(candidate)) continue;
    // Only a file that did not exist, so a name is never taken twice.
    std::FILE* file = platform::CreateNewFileStream(candidate.code, "wb+");
    if (!file && errno == EEXIST) continue;
    if (!file) return CannotCreate(candidate.code);
    if (!WriteProgramPrologue(file, header)) {
      std::fclose(file);
      std::error_code ec;
      std::filesystem::remove(candidate.code, ec);
      return CannotCreate(candidate.code);
    }
    doc.m_pCodeFile.reset(file);
    *paths = candidate;
    return {};
  }
  return res::kTooManyAnimationsPerSecond;
}

}  // namespace output

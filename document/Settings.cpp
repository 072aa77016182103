#include "document/Settings.h"

#include "platform/ProfileFile.h"

namespace document {
namespace {

constexpr const char* kFrameSection = "Frame";
constexpr const char* kPreviewKey = "NewFrame";

}  // namespace

std::string Settings::PathIn(const std::string& workFolder) {
  return workFolder + "data/Settings.ini";
}

Settings Settings::Read(const std::string& workFolder) {
  Settings s;
  s.m_previewMode = platform::GetPrivateProfileInt(kFrameSection, kPreviewKey, s.m_previewMode,
                                                   PathIn(workFolder));
  return s;
}

bool Settings::SavePreviewFollows(const std::string& workFolder, bool follows) {
  if (!platform::WritePrivateProfileString(kFrameSection, kPreviewKey, follows ? "1" : "0",
                                           PathIn(workFolder)))
    return false;
  m_previewMode = follows ? 1 : 0;
  return true;
}

}  // namespace document

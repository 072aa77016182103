#include "document/Settings.h"

#include <algorithm>
#include <string>

#include "platform/ProfileFile.h"

namespace document {
namespace {

constexpr const char* kFrameSection = "Frame";
constexpr const char* kPreviewKey = "NewFrame";
constexpr const char* kCanvasSection = "Canvas";

int ReadCanvasInt(const char* key, int fallback, const std::string& path) {
  return platform::GetPrivateProfileInt(kCanvasSection, key, fallback, path);
}

bool WriteCanvasInt(const char* key, int value, const std::string& path) {
  return platform::WritePrivateProfileString(kCanvasSection, key, std::to_string(value).c_str(),
                                             path);
}

}  // namespace

std::string Settings::PathIn(const std::string& workFolder) {
  return workFolder + "data/Settings.ini";
}

Settings Settings::Read(const std::string& workFolder) {
  Settings s;
  s.m_previewMode = platform::GetPrivateProfileInt(kFrameSection, kPreviewKey, s.m_previewMode,
                                                   PathIn(workFolder));
  const std::string path = PathIn(workFolder);
  s.m_canvas.insert = ReadCanvasInt("Insert", 0, path) == 1;
  s.m_canvas.onion = ReadCanvasInt("Onion", 1, path) != 0;
  s.m_canvas.onionFrames = std::clamp(ReadCanvasInt("OnionFrames", 1, path), 1, 3);
  s.m_canvas.onionAfter = ReadCanvasInt("OnionAfter", 0, path) == 1;
  return s;
}

bool Settings::SavePreviewFollows(const std::string& workFolder, bool follows) {
  if (!platform::WritePrivateProfileString(kFrameSection, kPreviewKey, follows ? "1" : "0",
                                           PathIn(workFolder)))
    return false;
  m_previewMode = follows ? 1 : 0;
  return true;
}

bool Settings::SaveCanvas(const std::string& workFolder, const CanvasChoices& choices) {
  const std::string path = PathIn(workFolder);
  const CanvasChoices& held = m_canvas;
  const bool written =
      (choices.insert == held.insert || WriteCanvasInt("Insert", choices.insert, path)) &&
      (choices.onion == held.onion || WriteCanvasInt("Onion", choices.onion, path)) &&
      (choices.onionFrames == held.onionFrames ||
       WriteCanvasInt("OnionFrames", choices.onionFrames, path)) &&
      (choices.onionAfter == held.onionAfter ||
       WriteCanvasInt("OnionAfter", choices.onionAfter, path));
  if (written) m_canvas = choices;
  return written;
}

}  // namespace document

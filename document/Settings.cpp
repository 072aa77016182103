#include "document/Settings.h"

#include <algorithm>
#include <exception>
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

namespace {

constexpr const char* kTraceSection = "Trace";

// "shown|opacity|scale|dx|dy|path": the path last, as it may hold '|'.
std::string TraceLine(const Settings::TraceChoice& c) {
  return std::to_string(c.shown ? 1 : 0) + "|" + std::to_string(c.opacity) + "|" +
         std::to_string(c.scale) + "|" + std::to_string(c.dx) + "|" + std::to_string(c.dy) + "|" +
         c.path;
}

}  // namespace

Settings::TraceChoice Settings::TraceFor(const std::string& workFolder,
                                         const std::string& project) {
  TraceChoice c;
  if (project.empty()) return c;
  const std::string line =
      platform::GetPrivateProfileString(kTraceSection, project, "", PathIn(workFolder));
  int fields[5] = {};
  std::size_t at = 0;
  for (int& field : fields) {
    const std::size_t bar = line.find('|', at);
    if (bar == std::string::npos) return c;
    try {
      field = std::stoi(line.substr(at, bar - at));
    } catch (const std::exception&) {
      return c;
    }
    at = bar + 1;
  }
  c.shown = fields[0] != 0;
  c.opacity = std::clamp(fields[1], 5, 90);
  c.scale = std::clamp(fields[2], 10, 1000);
  c.dx = std::clamp(fields[3], -1000, 1000);
  c.dy = std::clamp(fields[4], -1000, 1000);
  c.path = line.substr(at);
  return c;
}

bool Settings::SaveTrace(const std::string& workFolder, const std::string& project,
                         const TraceChoice& choice) {
  if (project.empty()) return false;
  return platform::WritePrivateProfileString(kTraceSection, project, TraceLine(choice).c_str(),
                                             PathIn(workFolder));
}

}  // namespace document

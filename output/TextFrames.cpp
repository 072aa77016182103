#include "output/TextFrames.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "document/AnimationFiles.h"
#include "platform/Cp936.h"
#include "platform/SafeFile.h"
#include "res/Texts.h"

using document::AnimationDocument;
using document::AnimationPaths;
using document::EmptyFrameText;
using document::FrameText;
using document::MakeAnimationPaths;
using document::MakeCreationStamp;
using document::MakeFrameText;

namespace output {

namespace {

constexpr char32_t kBadByteBase = 0x10FF00;  // how cp936::ToUtf8 carries a stray byte
constexpr int kMostNamesPerSecond = 9999;

// Decodes one UTF-8 character at pos; 0 when none starts there (a stray or
// missing continuation byte, an overlong form, a surrogate, past U+10FFFF).
std::size_t DecodeChar(std::string_view s, std::size_t pos, char32_t* cp) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[pos + i]); };
  const unsigned char c = b(0);
  if (c < 0x80) {
    *cp = c;
    return 1;
  }
  std::size_t n;
  char32_t value, least;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2, value = c & 0x1F, least = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3, value = c & 0x0F, least = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4, value = c & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (pos + n > s.size()) return 0;
  for (std::size_t i = 1; i < n; ++i) {
    if ((b(i) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (b(i) & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *cp = value;
  return n;
}

bool IsUtf8(std::string_view s) {
  char32_t cp;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = DecodeChar(s, i, &cp);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string Where(int line, int column) {
  return res::Format(res::kTextWhere, {std::to_string(line), std::to_string(column)});
}

// Why a line (UTF-8) cannot become GBK: the first character GBK cannot hold,
// or, in a text read as GBK, the first byte that starts no GBK character.
std::string LineProblem(std::string_view line, int lineNumber, bool readAsGbk,
                        char32_t unmappable) {
  int column = 1;
  char32_t cp = 0;
  for (std::size_t i = 0; i < line.size(); ++column) {
    const std::size_t n = DecodeChar(line, i, &cp);
    if (readAsGbk && cp >= kBadByteBase && cp <= kBadByteBase + 0xFF) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(cp - kBadByteBase));
      return res::Format(res::kTextNotText, {Where(lineNumber, column), hex});
    }
    const bool carried = cp >= kBadByteBase && cp <= kBadByteBase + 0xFF;
    if (!readAsGbk && (cp == unmappable || carried)) {
      return res::Format(res::kTextNotGbk, {Where(lineNumber, column), line.substr(i, n)});
    }
    i += n;
  }
  return {};
}

}  // namespace

TextFramesResult SplitTextFrames(std::string_view text, const TextFrameOptions& options) {
  TextFramesResult result;
  result.utf8 = IsUtf8(text);
  std::string converted;
  if (result.utf8) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  } else {
    converted = platform::cp936::ToUtf8(text);
    text = converted;
  }
  if (text.empty()) {
    result.error = kTextFramesEmpty;
    return result;
  }

  std::string frame;
  int frameLines = 0;
  bool tooMany = false;
  auto finishFrame = [&] {
    if (static_cast<int>(result.frames.size()) >= options.maxFrames) {
      tooMany = true;
      return;
    }
    result.frames.push_back(frame.empty() ? EmptyFrameText() : MakeFrameText(std::move(frame)));
    frame.clear();
    frameLines = 0;
  };

  int lineNumber = 0;
  for (std::size_t pos = 0; pos < text.size() && !tooMany;) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    pos = end;
    if (pos < text.size())
      pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
    ++lineNumber;

    if (options.blockHeight <= 0 && line == options.separator) {
      finishFrame();
      continue;
    }
    const platform::cp936::GbkResult gbk = platform::cp936::ToGbk(line);
    // The private code points stand for stray bytes in a GBK text; typed
    // into a UTF-8 text they would sneak such bytes into the frame.
    const bool suspect = !gbk.ok() || !result.utf8 || line.find("\xF4\x8F") != line.npos;
    const std::string problem =
        suspect ? LineProblem(line, lineNumber, !result.utf8,
                              gbk.ok() ? char32_t{0xFFFFFFFF} : gbk.unmappable[0])
                : std::string();
    if (!problem.empty()) {
      result.frames.clear();
      result.error = problem;
      return result;
    }
    if (frameLines > 0) frame += "\r\n";
    frame += gbk.bytes;
    ++frameLines;
    if (options.blockHeight > 0 && frameLines == options.blockHeight) finishFrame();
  }
  // The lines after the last separator are a frame, even none; a last block
  // may be shorter than the others.
  if (!tooMany && (options.blockHeight <= 0 || frameLines > 0)) finishFrame();
  if (tooMany) {
    result.frames.clear();
    result.error = res::Format(res::kTextTooManyFrames, {std::to_string(options.maxFrames)});
  }
  return result;
}

bool ReadTextFile(const std::string& path, std::string* text, std::string* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  text->clear();
  bool ok = fd >= 0;
  char buffer[65536];
  while (ok) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    text->append(buffer, static_cast<std::size_t>(got));
  }
  if (!ok) {
    *error = res::Format(res::kTextUnreadable, {path, std::strerror(errno)});
    text->clear();
  }
  if (fd >= 0) ::close(fd);
  return ok;
}

ProjectData MakeTextProject(std::vector<FrameText> frames, const TextProjectSettings& settings) {
  ProjectData project;
  project.name = settings.name;
  project.color = settings.color;
  project.wide = settings.wide;
  project.high = settings.high;
  project.rate = settings.rate;
  project.frameNum = static_cast<int>(frames.size());
  project.frames = std::move(frames);
  return project;
}

std::string WriteNewProject(const std::string& programFolder, const platform::LocalTime& now,
                            ProjectData project, std::string* path) {
  const std::string stamp = MakeCreationStamp(now);
  for (int n = 1; n <= kMostNamesPerSecond; ++n) {
    const AnimationPaths paths =
        MakeAnimationPaths(programFolder, n == 1 ? stamp : stamp + "_" + std::to_string(n));
    std::error_code ec;
    bool taken = false;
    for (const std::string* p : {&paths.project, &paths.exe, &paths.build, &paths.code})
      taken = taken || std::filesystem::exists(*p, ec);
    if (taken) continue;
    const int fd = platform::CreateNewFile(paths.project);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) {
      return res::Format(res::kCannotCreateProject, {paths.project, std::strerror(errno)});
    }
    ::close(fd);
    AnimationDocument doc;
    ReplaceWithProject(doc, std::move(project), paths, now);
    const ProjectResult written = WriteProjectFile(doc, paths.project);
    if (!written.ok()) {
      std::filesystem::remove(paths.project, ec);
      return written.error;
    }
    *path = paths.project;
    return {};
  }
  return res::kTooManyProjectsPerSecond;
}

}  // namespace output

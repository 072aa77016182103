#include "output/ProjectFile.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <system_error>
#include <utility>

#include "platform/Cp936.h"
#include "platform/Profile.h"

namespace cp936 = platform::cp936;

namespace {

constexpr std::string_view kPropertiesSection = "AnimatedProperties";
constexpr std::string_view kPicturesSection = "AnimatePicture";
constexpr const char* kPropertyKeys[] = {"Name", "Wide", "High", "Color", "FrameRate", "FrameNum"};

// "Frame" + n without leading zeros, built without an allocation per key.
class FrameKey {
 public:
  std::string_view operator()(int n) {
    const auto end = std::to_chars(m_buffer + 5, m_buffer + sizeof m_buffer, n).ptr;
    return std::string_view(m_buffer, static_cast<std::size_t>(end - m_buffer));
  }

 private:
  char m_buffer[24] = {'F', 'r', 'a', 'm', 'e'};
};

// Profile reading trims blanks from both ends of a value and then removes
// one pair of quotes enclosing it. A value with such an end goes inside a
// pair of double quotes, which reading takes off again, so it comes back
// whole; every other value is written exactly as it is.
bool IsLostAtEnd(char c) { return c == ' ' || c == '\t' || c == '"' || c == '\''; }

void ProtectEnds(std::string& value) {
  if (value.empty() || !(IsLostAtEnd(value.front()) || IsLostAtEnd(value.back()))) return;
  value.insert(value.begin(), '"');
  value += '"';
}

bool HasLineEndByte(std::string_view s) {
  return std::memchr(s.data(), '\r', s.size()) || std::memchr(s.data(), '\n', s.size());
}

// A value is one line of the file. Escaping turns every CR LF of a frame
// into "\n" but keeps a lone CR or LF, which would split the line; such a
// byte is stored as a line break too. (Neither byte is ever the second byte
// of a GBK character, so a bytewise pass is safe.)
std::string FrameValue(const std::string& text) {
  std::string value = EscapeFrameText(text);
  if (HasLineEndByte(value)) {
    std::string joined;
    joined.reserve(value.size() + 8);
    for (char c : value) {
      if (c == '\r' || c == '\n')
        joined += "\\n";
      else
        joined += c;
    }
    value.swap(joined);
  }
  ProtectEnds(value);
  return value;
}

// Names and colour codes are stored unescaped; a line-end byte, which the
// one-line name field never produces, becomes a blank.
std::string PlainValue(std::string_view text) {
  std::string value(text);
  for (char& c : value)
    if (c == '\r' || c == '\n') c = ' ';
  ProtectEnds(value);
  return value;
}

// The frames of a project file that are missing all read as the same text.
const FrameText& ReadErrorText() {
  static const FrameText text = MakeFrameText(kProjectReadError);
  return text;
}

// The next 0x5C byte at or after from. Escapes come close together in
// drawings full of backslashes and quotes, where a library call per escape
// costs more than looking at a few bytes first.
std::size_t NextBackslashByte(std::string_view s, std::size_t from) {
  const std::size_t near = std::min(s.size(), from + 16);
  for (std::size_t i = from; i < near; ++i)
    if (s[i] == '\\') return i;
  if (near == s.size()) return std::string_view::npos;
  const void* hit = std::memchr(s.data() + near, '\\', s.size() - near);
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - s.data())
             : std::string_view::npos;
}

std::string Refusal(std::string_view why) { return "打开失败：" + std::string(why); }

}  // namespace

std::string UnescapeFrameText(std::string_view s) {
  if (s.empty()) return {};
  // Every escape is two bytes and gives at most two: the text never grows.
  std::string out(s.size(), '\0');
  char* o = out.data();
  std::size_t copied = 0;    // s[copied, p) is still to be copied as it is
  std::size_t boundary = 0;  // a character starts here
  while (boundary < s.size()) {
    const std::size_t p = NextBackslashByte(s, boundary);
    if (p == std::string_view::npos) break;
    // Is this 0x5C a backslash or the second byte of a two-byte character?
    // Every lead byte is also a valid second byte, so the run of lead bytes
    // right before it pairs up from its start, which is a character
    // boundary (`boundary`, or the byte after one that is no lead byte and
    // so ends a character); an odd run leaves its last lead byte to pair
    // with the 0x5C. The scan is thus exactly cp936::CharLength's, while
    // the bytes between backslashes are skipped unread.
    std::size_t run = 0;
    while (p - run > boundary && static_cast<unsigned char>(s[p - run - 1]) >= 0x80 &&
           cp936::IsLeadByte(static_cast<unsigned char>(s[p - run - 1])))
      ++run;
    if (run % 2 == 1) {
      boundary = p + 1;
      continue;
    }
    std::memcpy(o, s.data() + copied, p - copied);
    o += p - copied;
    const char next = p + 1 < s.size() ? s[p + 1] : '\0';
    switch (next) {
      case '\\':
      case '"':
      case '\'':
        *o++ = next;
        break;
      case 'n':
        *o++ = '\r';
        *o++ = '\n';
        break;
      default:  // not an escape this tool writes: the backslash stays
        *o++ = '\\';
        copied = boundary = p + 1;
        continue;
    }
    copied = boundary = p + 2;
  }
  std::memcpy(o, s.data() + copied, s.size() - copied);
  o += s.size() - copied;
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

ProjectResult WriteProjectFile(const AnimationDocument& doc, const std::filesystem::path& path) {
  ProjectResult result;
  const std::string where = "无法保存工程文件：\n" + path.string() + "\n";
  if (doc.m_nFrames < 0 || static_cast<std::size_t>(doc.m_nFrames) != doc.m_frames.Size()) {
    result.error = where + "帧数（" + std::to_string(doc.m_nFrames) + "）与帧列表（" +
                   std::to_string(doc.m_frames.Size()) + "帧）不一致。";
    return result;
  }
  if (doc.m_nFrames > kMaxProjectFrames) {
    result.error = where + "帧数超出上限（" + std::to_string(kMaxProjectFrames) + "）。";
    return result;
  }

  platform::ProfileFile profile;
  // A file that exists but cannot be read must not be replaced by one that
  // has lost its other keys.
  if (!profile.Load(path)) {
    result.error = where + "已有的文件无法读取。";
    return result;
  }
  profile.SetString(kPropertiesSection, "Name", PlainValue(doc.m_strAnimName));
  profile.SetString(kPropertiesSection, "Wide", std::to_string(doc.m_nAnimWide));
  profile.SetString(kPropertiesSection, "High", std::to_string(doc.m_nAnimHigh));
  profile.SetString(kPropertiesSection, "Color", PlainValue(doc.m_strColor));
  profile.SetString(kPropertiesSection, "FrameRate", std::to_string(doc.m_nRate));
  profile.SetString(kPropertiesSection, "FrameNum", std::to_string(doc.m_nFrames));

  std::size_t textBytes = 0;
  for (const FrameNode* node = doc.m_frames.Head().pNext; node; node = node->pNext)
    textBytes += node->Text().size() + 24;  // the key, '=', a little escaping
  profile.ReserveForSets(textBytes + textBytes / 16);

  // Copies of a picture share one text and usually follow one another (key
  // frames, delay frames): such a run is escaped once.
  FrameKey key;
  int number = 0;
  const std::string* escapedFrom = nullptr;
  std::string value;
  for (const FrameNode* node = doc.m_frames.Head().pNext; node; node = node->pNext) {
    const std::string& text = node->Text();
    if (&text != escapedFrom) {
      value = FrameValue(text);
      escapedFrom = &text;
    }
    profile.SetString(kPicturesSection, key(++number), value);
  }

  std::string detail;
  if (!profile.Save(path, &detail))
    result.error = where + "请确认文件夹存在并且可以写入。\n（" + detail + "）";
  return result;
}

ProjectReadResult ReadProjectFile(const std::filesystem::path& path) {
  ProjectReadResult result;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    result.error = Refusal("找不到该文件。");
    return result;
  }
  // A device or a pipe would never end, or never start.
  if (!std::filesystem::is_regular_file(path, ec)) {
    result.error = Refusal("该路径不是一个普通文件。");
    return result;
  }
  platform::ProfileFile profile;
  if (!profile.Load(path)) {
    result.error = Refusal("无法读取该文件。");
    return result;
  }
  bool isProject = false;
  for (const char* k : kPropertyKeys)
    isProject = isProject || profile.HasKey(kPropertiesSection, k);
  if (!isProject) {
    result.error = Refusal("该文件不是工程文件。");
    return result;
  }

  ProjectData data;
  data.name = profile.GetString(kPropertiesSection, "Name", kProjectReadError);
  data.wide = profile.GetInt(kPropertiesSection, "Wide", 0);
  data.high = profile.GetInt(kPropertiesSection, "High", 0);
  data.color = profile.GetString(kPropertiesSection, "Color", kProjectReadError);
  data.rate = profile.GetInt(kPropertiesSection, "FrameRate", 0);
  data.frameNum = profile.GetInt(kPropertiesSection, "FrameNum", 0);
  // Playback and the generated program divide by the rate.
  if (data.rate < 1) {
    result.error = Refusal("工程文件中的帧频无效。");
    return result;
  }
  if (data.frameNum < 0) {
    result.error = Refusal("工程文件中的帧数无效。");
    return result;
  }
  if (data.frameNum > kMaxProjectFrames) {
    result.error =
        Refusal("工程文件中的帧数超出上限（" + std::to_string(kMaxProjectFrames) + "）。");
    return result;
  }

  data.frames.reserve(static_cast<std::size_t>(data.frameNum));
  FrameKey key;
  for (int i = 1; i <= data.frameNum; ++i) {
    const std::string_view k = key(i);
    if (!profile.HasKey(kPicturesSection, k)) {
      data.frames.push_back(ReadErrorText());
      ++data.missingFrames;
      continue;
    }
    std::string value = profile.GetString(kPicturesSection, k, {});
    if (std::memchr(value.data(), '\\', value.size())) value = UnescapeFrameText(value);
    data.frames.push_back(MakeFrameText(std::move(value)));
  }
  result.data = std::move(data);
  return result;
}

ProgramHeader MakeProjectProgramHeader(const ProjectData& project,
                                       const platform::LocalTime& opened) {
  return {opened, project.name, project.wide, project.high, project.color};
}

void ReplaceWithProject(AnimationDocument& doc, ProjectData project, const AnimationPaths& paths,
                        const platform::LocalTime& opened) {
  doc.m_strAnimName = std::move(project.name);
  doc.m_nAnimWide = project.wide;
  doc.m_nAnimHigh = project.high;
  doc.m_strColor = std::move(project.color);
  doc.m_nRate = project.rate;
  doc.m_nFrames = static_cast<int>(project.frames.size());
  doc.m_frames.Clear();
  for (FrameText& text : project.frames) doc.m_frames.Append(std::move(text));
  doc.m_strProjectPath = paths.project;
  doc.m_strExePath = paths.exe;
  doc.m_strBuildPath = paths.build;
  doc.m_strCodePath = paths.code;
  doc.m_createdAt = opened;
  doc.m_bCreated = 1;
}

ProjectResult AppendProject(AnimationDocument& doc, ProjectData project) {
  ProjectResult result;
  if (doc.m_bCreated == 0) {
    result.error = "还没有创建动画！请先创建动画！";
    return result;
  }
  const int added = static_cast<int>(project.frames.size());
  if (doc.m_nFrames > kMaxProjectFrames - added) {
    result.error = Refusal("叠加后的帧数超出上限（" + std::to_string(kMaxProjectFrames) + "）。");
    return result;
  }
  for (FrameText& text : project.frames) doc.m_frames.Append(std::move(text));
  doc.m_nFrames += added;
  return result;
}

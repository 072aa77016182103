#include "project/ProjectValues.h"

#include <cstring>

#include "project/FrameTextEscape.h"

namespace output {

namespace {

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

}  // namespace

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

void PropertyValues(const document::Animation& animation, int frameCount,
                    std::string (&values)[kPropertyCount]) {
  values[0] = PlainValue(animation.m_strAnimName);
  values[1] = std::to_string(animation.m_nAnimWide);
  values[2] = std::to_string(animation.m_nAnimHigh);
  values[3] = PlainValue(animation.m_strColor);
  values[4] = std::to_string(animation.m_nRate);
  values[5] = std::to_string(frameCount);
}

}  // namespace output

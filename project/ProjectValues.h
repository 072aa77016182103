#pragma once
// The keys of a project file and the forms their values take on disk: what
// the whole-file writer (ProjectFile) and the frame-by-frame writer
// (ProjectStream) both write, and the reader looks for.
#include <charconv>
#include <cstddef>
#include <string>
#include <string_view>

#include "document/Animation.h"

namespace output {

inline constexpr std::string_view kPropertiesSection = "AnimatedProperties";
inline constexpr std::string_view kPicturesSection = "AnimatePicture";
inline constexpr const char* kPropertyKeys[] = {"Name",  "Wide",      "High",
                                                "Color", "FrameRate", "FrameNum"};
inline constexpr int kPropertyCount = 6;

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

// A frame's text as the value of its key: escaped to one line, a lone CR or
// LF stored as a line break, blanks or quotes at either end protected by a
// pair of double quotes.
std::string FrameValue(const std::string& text);

// A name or colour code as a value: unescaped, a line-end byte made a blank,
// its ends protected as a frame's are.
std::string PlainValue(std::string_view text);

// The values of kPropertyKeys, in that order, for an animation of
// frameCount frames.
void PropertyValues(const document::Animation& animation, int frameCount,
                    std::string (&values)[kPropertyCount]);

}  // namespace output

// The one-line form of frame texts and the printf literal form, over random
// bytes: each equals the character-by-character rules stated in
// project/FrameTextEscape.h, and the one-line form reads back as it went in.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

#include "platform/Cp936.h"
#include "project/FrameTextEscape.h"

using output::EscapeFrameLiteral;
using output::EscapeFrameText;
using output::UnescapeFrameText;

namespace {

namespace cp936 = platform::cp936;

bool EscapedInTheProject(char c) {
  return c == '\\' || c == '"' || c == '\'' || c == '\r' || c == '\n';
}

std::string Octal(std::string_view bytes) {
  std::string out;
  for (unsigned char b : bytes) {
    out += '\\';
    out += static_cast<char>('0' + (b >> 6));
    out += static_cast<char>('0' + ((b >> 3) & 7));
    out += static_cast<char>('0' + (b & 7));
  }
  return out;
}

// The rules, one GBK character at a time.
std::string ByTheRules(std::string_view t, bool literal) {
  std::string out;
  for (std::size_t i = 0; i < t.size();) {
    if (cp936::CharLength(t, i) == 2) {
      // A second byte 0x5C stays single in the project, octal in the literal.
      out += literal && t[i + 1] == '\\' ? Octal(t.substr(i, 2)) : std::string(t.substr(i, 2));
      i += 2;
      continue;
    }
    const char c = t[i++];
    if (cp936::IsLeadByte(static_cast<unsigned char>(c))) {
      // A lead byte that starts no character.
      if (literal)
        out += Octal(std::string_view(&c, 1));
      else
        out += i < t.size() && EscapedInTheProject(t[i]) ? '?' : c;
      continue;
    }
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\'':
        out += "\\'";
        break;
      case '\r':
        if (i < t.size() && t[i] == '\n') {
          out += "\\n";
          ++i;
        } else {
          out += literal ? "\\r" : "\r";
        }
        break;
      case '\n':
        out += literal ? "\\n" : "\n";
        break;
      case '%':
        out += literal ? "%%" : "%";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// What the one-line form keeps of a text: a lead byte that starts no
// character right before an escaped byte becomes '?'.
std::string Kept(std::string_view t) {
  std::string out;
  for (std::size_t i = 0; i < t.size();) {
    const std::size_t n = cp936::CharLength(t, i);
    const bool stray = n == 1 && cp936::IsLeadByte(static_cast<unsigned char>(t[i])) &&
                       i + 1 < t.size() && EscapedInTheProject(t[i + 1]);
    out += stray ? std::string("?") : std::string(t.substr(i, n));
    i += n;
  }
  return out;
}

// Random texts of up to 400 bytes, from runs of the kinds of byte that
// matter: Chinese (lead bytes back to back), ASCII with every escaped
// character, lone lead bytes, 0x5C as a second byte, bytes no character uses.
std::string RandomText(std::mt19937& rng) {
  static const std::string kPieces[] = {"\xD6\xD0",  // 中
                                        "\xCE\xC4",  // 文
                                        "\x81\\",    // a two-byte character ending in 0x5C
                                        "\\",       "\"",   "'",    "\r\n", "\r",   "\n",
                                        "%",        "\x81", "\xFE", "\x80", "\xFF", "\x7F",
                                        "\x01",     "a",    " ",    "n",    "@",    "?"};
  std::string text;
  const int runs = static_cast<int>(rng() % 40);
  for (int r = 0; r < runs; ++r) {
    const std::string& piece = kPieces[rng() % std::size(kPieces)];
    // Mostly single pieces; now and then a long run of one, as in a picture.
    const int repeat = rng() % 6 == 0 ? static_cast<int>(rng() % 40) : 1;
    for (int k = 0; k < repeat; ++k) text += piece;
  }
  if (rng() % 4 == 0)  // and plain random bytes
    for (int k = static_cast<int>(rng() % 64); k > 0; --k) text += static_cast<char>(rng());
  return text;
}

}  // namespace

TEST(FrameTextEscape, BothFormsFollowTheRulesOnRandomBytes) {
  std::mt19937 rng(20);
  for (int round = 0; round < 4000; ++round) {
    const std::string text = RandomText(rng);
    ASSERT_EQ(EscapeFrameText(text), ByTheRules(text, false)) << round;
    ASSERT_EQ(EscapeFrameLiteral(text), ByTheRules(text, true)) << round;
  }
}

TEST(FrameTextEscape, OneLineFormReadsBackOnRandomBytes) {
  std::mt19937 rng(21);
  for (int round = 0; round < 4000; ++round) {
    const std::string text = RandomText(rng);
    ASSERT_EQ(UnescapeFrameText(EscapeFrameText(text)), Kept(text)) << round;
  }
}

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/Cp936.h"
#include "tests/TestSupport.h"

namespace cp936 = platform::cp936;
using testsupport::Gbk;

namespace {

constexpr auto npos = std::string_view::npos;

std::string Hex(std::string_view s) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    out += digits[c >> 4];
    out += digits[c & 15];
    out += ' ';
  }
  return out;
}

TEST(Cp936Test, LeadBytes) {
  struct Case {
    unsigned char byte;
    bool lead;
  } cases[] = {{0x00, false}, {'A', false}, {0x5C, false}, {0x7F, false}, {0x80, false},
               {0x81, true},  {0xA1, true}, {0xB0, true},  {0xFE, true},  {0xFF, false}};
  for (const Case& c : cases) EXPECT_EQ(cp936::IsLeadByte(c.byte), c.lead) << int(c.byte);
}

TEST(Cp936Test, CharLength) {
  struct Case {
    std::string text;
    std::size_t pos;
    std::size_t length;
  } cases[] = {
      {"abc", 1, 1},       {"\x81\x5C", 0, 2},  // 乗: second byte looks like a backslash
      {"a\xB0\xA1", 1, 2},                      // 啊
      {"a\x81", 1, 1},                          // lead byte at the very end
      {"\x81\n", 0, 1},                         // a stray lead byte does not swallow a line end
      {"\x81\x7F", 0, 1},                       // 0x7F is never a trail byte
      {"\x81\xFF", 0, 1},  {"\x81\x3D", 0, 1},  // nor is '='
      {"\x80", 0, 1},                           // euro sign
      {"\xFF\x41", 0, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(cp936::CharLength(c.text, c.pos), c.length) << Hex(c.text) << "@" << c.pos;
}

TEST(Cp936Test, TrailBytesLookingLikeAsciiAreNotMatched) {
  // Each of these characters ends in 0x5C ('\') or 0x5D (']') in GBK.
  ASSERT_EQ(Gbk("乗"), "\x81\x5C");
  ASSERT_EQ(Gbk("嘰"), "\x87\x5C");
  ASSERT_EQ(Gbk("淺"), "\x9C\x5C");
  ASSERT_EQ(Gbk("乚"), "\x81\x5D");

  struct Case {
    std::string text;
    char c;
    std::size_t first;
    std::size_t last;
  } cases[] = {
      {Gbk("乗"), '\\', npos, npos}, {Gbk("乗嘰淺"), '\\', npos, npos},
      {Gbk("乗\\嘰"), '\\', 2, 2},   {Gbk("C:\\淺\\乗\\"), '\\', 2, 8},
      {Gbk("[乚]"), ']', 3, 3},      {Gbk("乚乚"), ']', npos, npos},
      {Gbk("a=乗=b"), '=', 1, 4},    {"\x81\\", '\\', npos, npos},  // lead + 0x5C is one character
      {"\x81\n\\", '\\', 2, 2},  // lead + line end: two characters
      {"\\\x81", '\\', 0, 0},    // lone lead byte at the end
      {"", '\\', npos, npos},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cp936::FindFirst(c.text, c.c), c.first) << Hex(c.text);
    EXPECT_EQ(cp936::FindLast(c.text, c.c), c.last) << Hex(c.text);
  }
  EXPECT_EQ(cp936::FindFirst(Gbk("\\乗\\"), '\\', 1), 3u);
  EXPECT_EQ(cp936::FindFirst(Gbk("\\乗\\"), '\\', 4), npos);
}

TEST(Cp936Test, ConvertsBothWays) {
  struct Case {
    const char* utf8;
    std::string gbk;
  } cases[] = {
      {"plain ASCII ~\\", "plain ASCII ~\\"},
      {"啊", "\xB0\xA1"},
      {"动画abc中文",
       "\xB6\xAF\xBB\xAD"
       "abc\xD6\xD0\xCE\xC4"},
      {"，。（）“”：", "\xA3\xAC\xA1\xA3\xA3\xA8\xA3\xA9\xA1\xB0\xA1\xB1\xA3\xBA"},
      {"€", "\x80"},
      {"5€/個", "5\x80/\x82\x80"},
      {"乗嘰淺", "\x81\x5C\x87\x5C\x9C\x5C"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cp936::ToUtf8(c.gbk), c.utf8) << Hex(c.gbk);
    const auto r = cp936::ToGbk(c.utf8);
    EXPECT_TRUE(r.ok()) << c.utf8;
    EXPECT_EQ(Hex(r.bytes), Hex(c.gbk)) << c.utf8;
  }
}

TEST(Cp936Test, ReportsWhatGbkCannotHold) {
  struct Case {
    std::string utf8;
    std::string bytes;
    std::vector<char32_t> unmappable;
  } cases[] = {
      {"a😀b한c", "abc", {0x1F600, 0xD55C}},
      {"中ㄱ文", Gbk("中文"), {0x3131}},
      {"\xEF\xBB\xBFx", "x", {0xFEFF}},
      // Malformed UTF-8: one replacement character per bad byte.
      {"a\xFF"
       "b",
       "ab",
       {0xFFFD}},
      {"\xE4\xB8", "", {0xFFFD, 0xFFFD}},  // cut short
      {"\xE4\xB8"
       "a\xE4\xB8\xAD",
       "a\xD6\xD0",
       {0xFFFD, 0xFFFD}},
      {"\xC0\xAF", "", {0xFFFD, 0xFFFD}},                          // overlong '/'
      {"\xED\xA0\x80", "", {0xFFFD, 0xFFFD, 0xFFFD}},              // surrogate
      {"\xF4\x90\x80\x80", "", {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}},  // past U+10FFFF
  };
  for (const Case& c : cases) {
    const auto r = cp936::ToGbk(c.utf8);
    EXPECT_EQ(Hex(r.bytes), Hex(c.bytes)) << Hex(c.utf8);
    EXPECT_EQ(r.unmappable, c.unmappable) << Hex(c.utf8);
    EXPECT_FALSE(r.ok());
  }
}

TEST(Cp936Test, InvalidBytesTravelAsPrivateCodePoints) {
  EXPECT_EQ(cp936::ToUtf8("\xFF"), "\xF4\x8F\xBF\xBF");                      // U+10FFFF
  EXPECT_EQ(cp936::ToUtf8("a\x81"), "a\xF4\x8F\xBE\x81");                    // lone lead at the end
  EXPECT_EQ(cp936::ToUtf8("\x81\n"), "\xF4\x8F\xBE\x81\n");                  // line end survives
  EXPECT_EQ(cp936::ToUtf8("\xA2\xE3"), "\xF4\x8F\xBE\xA2\xF4\x8F\xBF\xA3");  // unassigned pair
  const auto r = cp936::ToGbk("\xF4\x8F\xBD\x81\xF4\x8F\xBE\x81");           // U+10FF41, U+10FF81
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.bytes, "A\x81");
}

void ExpectRoundTrip(const std::string& bytes) {
  const std::string utf8 = cp936::ToUtf8(bytes);
  const auto back = cp936::ToGbk(utf8);
  ASSERT_TRUE(back.ok()) << Hex(bytes);
  ASSERT_EQ(back.bytes, bytes) << Hex(bytes);
}

TEST(Cp936Test, EveryByteStringRoundTrips) {
  for (int b = 0; b < 256; ++b) ExpectRoundTrip(std::string(1, char(b)));
  for (int lead = 0x80; lead < 256; ++lead)
    for (int trail = 0; trail < 256; ++trail) {
      ExpectRoundTrip({char(lead), char(trail)});
      ExpectRoundTrip({char(lead), char(trail), char(lead)});
    }
  std::mt19937 rng(936);
  std::uniform_int_distribution<int> len(0, 48);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int i = 0; i < 3000; ++i) {
    std::string s(static_cast<std::size_t>(len(rng)), '\0');
    for (char& c : s) c = static_cast<char>(byte(rng));
    ExpectRoundTrip(s);
  }
  // Long text full of bad bytes: conversion restarts at each, and must stay
  // linear doing so.
  std::string big(1 << 18, '\0');
  for (char& c : big) c = static_cast<char>(byte(rng) | 0x80);
  ExpectRoundTrip(big);
}

TEST(Cp936Test, CharacterBoundariesAgreeWithConversion) {
  // Scanning and conversion must split text the same way: what CharLength
  // calls one character never turns into ASCII, and a lone lead byte never
  // changes how the byte after it reads.
  for (int lead = 0x81; lead < 0xFF; ++lead)
    for (int trail = 0; trail < 256; ++trail) {
      const std::string pair{char(lead), char(trail)};
      const std::string utf8 = cp936::ToUtf8(pair);
      if (cp936::CharLength(pair, 0) == 1) {
        ASSERT_EQ(utf8, cp936::ToUtf8(pair.substr(0, 1)) + cp936::ToUtf8(pair.substr(1)))
            << Hex(pair);
      } else {
        for (unsigned char c : utf8) ASSERT_GE(c, 0x80) << Hex(pair);
      }
    }
}

TEST(Cp936Test, ThreadsConvertIndependently) {
  const std::string gbk = Gbk("动画，中文\\乗") + "\xFF" + Gbk("€啊");
  const std::string utf8 = cp936::ToUtf8(gbk);
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 2000; ++i)
        if (cp936::ToUtf8(gbk) != utf8 || cp936::ToGbk(utf8).bytes != gbk) ++failures[t];
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(failures, std::vector<int>(4, 0));
}

}  // namespace

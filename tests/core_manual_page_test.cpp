// The Chinese manual page says what the English one says: the same options,
// sections and entries, so a change to one that misses the other shows.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "tests/TestSupport.h"

namespace {

struct Outline {
  std::set<std::string> options;
  int sections = 0;
  int entries = 0;
};

Outline OutlineOf(const char* page) {
  const std::string text = testsupport::ReadFile(std::filesystem::path(ZOETRIX_TEST_DATA) / ".." /
                                                 ".." / "packaging" / page);
  Outline o;
  const std::regex option(R"(\\-\\-([a-z]+))");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), option);
       it != std::sregex_iterator(); ++it)
    o.options.insert((*it)[1]);
  const std::regex section(R"((^|\n)\.SH )"), entry(R"((^|\n)\.TP\n)");
  o.sections = static_cast<int>(std::distance(
      std::sregex_iterator(text.begin(), text.end(), section), std::sregex_iterator()));
  o.entries = static_cast<int>(
      std::distance(std::sregex_iterator(text.begin(), text.end(), entry), std::sregex_iterator()));
  return o;
}

}  // namespace

TEST(ManualPage, TheChinesePageMatchesTheEnglishOne) {
  const Outline english = OutlineOf("zoetrix.1");
  const Outline chinese = OutlineOf("zoetrix.zh_CN.1");
  EXPECT_GE(english.options.size(), 15u);
  EXPECT_EQ(chinese.options, english.options);
  EXPECT_EQ(chinese.sections, english.sections);
  EXPECT_EQ(chinese.entries, english.entries);
}

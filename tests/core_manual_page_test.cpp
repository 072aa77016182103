// The Chinese manual page says what the English one says: the same options,
// sections and entries, and the same numbers in each entry (limits, ranges,
// statuses), so a change to one that misses the other shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tests/TestSupport.h"

namespace {

struct Outline {
  std::set<std::string> options;
  int sections = 0;
  int entries = 0;
  // Per entry, in order: the numbers in it, sorted, thousands separators
  // dropped ("1,000,000" is "1000000").
  std::vector<std::vector<std::string>> numbers;
};

std::vector<std::string> NumbersIn(const std::string& text) {
  std::vector<std::string> found;
  const std::regex number(R"(\d+(?:,\d{3})*(?:\.\d+)?)");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), number);
       it != std::sregex_iterator(); ++it) {
    std::string n = it->str();
    n.erase(std::remove(n.begin(), n.end(), ','), n.end());
    found.push_back(n);
  }
  std::sort(found.begin(), found.end());
  return found;
}

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
  // An entry runs to the next entry or section.
  for (std::size_t at = text.find("\n.TP\n"); at != std::string::npos;) {
    const std::size_t start = at + 5;
    const std::size_t next = std::min(text.find("\n.TP\n", start), text.find("\n.SH ", start));
    o.numbers.push_back(NumbersIn(text.substr(start, next - start)));
    at = text.find("\n.TP\n", start);
  }
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
  ASSERT_EQ(chinese.numbers.size(), english.numbers.size());
  for (std::size_t i = 0; i < english.numbers.size(); ++i)
    EXPECT_EQ(chinese.numbers[i], english.numbers[i]) << "entry " << i + 1;
}

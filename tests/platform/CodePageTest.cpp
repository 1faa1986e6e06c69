#include "platform/system/CodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(CodePage, DecodesLabelBytes) {
  const struct {
    const char* name;
    std::string bytes;
    std::string_view codePage;
    std::wstring expected;
  } cases[] = {
      {"ascii", "Line 1", "936", L"Line 1"},
      {"chinese", "\xD6\xD0\xCE\xC4", "936", L"\u4E2D\u6587"},
      {"mixed", "a\xD6\xD0 b", "936", L"a\u4E2D b"},
      {"stops at the first zero", "ab\0\xD6\xD0"s, "936", L"ab"},
      {"empty", "", "936", L""},
      {"byte that starts nothing",
       "a\xFF"
       "b",
       "936",
       L"a\uFFFD"
       "b"},
      {"lead byte with a bad trail byte",
       "\xD6\x0A"
       "c",
       "936", L"\uFFFD\nc"},
      {"cut off at the end", "a\xD6", "936", L"a\uFFFD"},
      {"other numbered code page", "caf\xE9", "1252", L"caf\u00E9"},
      {"name passed as it stands", "\xE4\xB8\xAD", "UTF-8", L"\u4E2D"},
  };
  for (const auto& c : cases) {
    const std::optional<std::wstring> text = DecodeMultiByte(c.bytes, c.codePage);
    ASSERT_TRUE(text.has_value()) << c.name;
    EXPECT_EQ(*text, c.expected) << c.name;
  }
}

TEST(CodePage, DefaultIs936) {
  EXPECT_EQ(DecodeMultiByte("\xD6\xD0"), std::optional<std::wstring>(L"\u4E2D"));
}

TEST(CodePage, UnknownCodePageIsReported) {
  for (std::string_view name : {"no-such-code-page", "", "99999"}) {
    EXPECT_FALSE(DecodeMultiByte("abc", name).has_value()) << name;
  }
}

TEST(CodePage, WideToUtf8) {
  const struct {
    std::wstring text;
    std::string expected;
  } cases[] = {
      {L"abc", "abc"},
      {L"\u00E9", "\xC3\xA9"},
      {L"\u4E2D\u6587", "\xE4\xB8\xAD\xE6\x96\x87"},
      {L"\U0001F600", "\xF0\x9F\x98\x80"},
      {std::wstring(1, static_cast<wchar_t>(0xD800)), "\xEF\xBF\xBD"},
      {std::wstring(1, static_cast<wchar_t>(0x110000)), "\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) EXPECT_EQ(WideToUtf8(c.text), c.expected);
}

TEST(CodePage, CountsInvalidBytes) {
  const struct {
    std::string bytes;
    std::string_view codePage;
    std::size_t invalid;
  } cases[] = {
      {"\xD6\xD0 ok", "936", 0},
      {"a\xFF"
       "b\xFF",
       "936", 2},
      {"a\xD6", "936", 1},
      {"\xD6\x0A"
       "c",
       "936", 1},
      {"\xE4\xB8", "UTF-8", 2},
      {"", "936", 0},
  };
  for (const auto& c : cases) {
    std::size_t invalid = 99;
    ASSERT_TRUE(DecodeMultiByte(c.bytes, c.codePage, &invalid).has_value()) << c.bytes;
    EXPECT_EQ(invalid, c.invalid) << c.bytes;
  }
}

}  // namespace

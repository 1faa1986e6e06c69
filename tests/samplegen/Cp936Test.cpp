#include "samplegen/Cp936.h"

#include <gtest/gtest.h>

#include <ostream>

#include "samplegen/SampleText.h"

namespace {

struct EncodeCase {
  const char* name;
  std::string utf8;
  std::string bytes;  // expected code page 936 bytes; empty with charCount -1 means refused
  std::int32_t charCount;
};

void PrintTo(const EncodeCase& c, std::ostream* out) { *out << c.name; }

class EncodeCp936LabelTest : public testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeCp936LabelTest, EncodesOnlyDoubleByteText) {
  const EncodeCase& c = GetParam();
  std::string error;
  const std::optional<Cp936Label> label = EncodeCp936Label(c.utf8, error);
  if (c.charCount < 0) {
    EXPECT_FALSE(label);
    EXPECT_FALSE(error.empty());
    return;
  }
  ASSERT_TRUE(label) << error;
  EXPECT_EQ(label->bytes, c.bytes);
  EXPECT_EQ(label->charCount, c.charCount);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EncodeCp936LabelTest,
    testing::Values(EncodeCase{"Hanzi", "天气", "\xCC\xEC\xC6\xF8", 2},
                    EncodeCase{"FullWidthPunctuation", "，。", "\xA3\xAC\xA1\xA3", 2},
                    EncodeCase{"FullWidthLatinAndDigit", "Ａ１", "\xA3\xC1\xA3\xB1", 2},
                    EncodeCase{"Empty", "", "", 0}, EncodeCase{"Ascii", "abc", "", -1},
                    EncodeCase{"AsciiAfterHanzi", "天a", "", -1},
                    EncodeCase{"AsciiBeforeHanzi", "a天", "", -1},
                    EncodeCase{"HalfWidthComma", "天,气", "", -1},
                    EncodeCase{"EuroSignIsSingleByte", "天€", "", -1},
                    EncodeCase{"NotInCodePage", "天\xF0\x9F\x98\x80", "", -1},
                    EncodeCase{"InvalidUtf8", "\xFF\xFE", "", -1},
                    EncodeCase{"TruncatedUtf8", "天\xE5\xA4", "", -1}),
    [](const testing::TestParamInfo<EncodeCase>& info) { return info.param.name; });

// A sentence with an ASCII comma slipped in would break the page's codeLength 2.
TEST(SampleSentencesTest, EverySentenceIsDoubleByteAndFitsALine) {
  ASSERT_GE(SampleSentences().size(), 20u);
  for (std::string_view sentence : SampleSentences()) {
    std::string error;
    const std::optional<Cp936Label> label = EncodeCp936Label(sentence, error);
    ASSERT_TRUE(label) << sentence << ": " << error;
    EXPECT_GE(label->charCount, 8) << sentence;
    EXPECT_LE(label->charCount, 22) << sentence;
  }
}

}  // namespace

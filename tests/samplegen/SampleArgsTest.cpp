#include "samplegen/SampleArgs.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct ArgsCase {
  const char* name;
  std::vector<std::string> args;
  bool ok;
  std::string outPath;
  std::uint32_t seed;
  std::optional<std::int32_t> lineCount;
};

void PrintTo(const ArgsCase& c, std::ostream* out) { *out << c.name; }

class ParseSampleArgsTest : public testing::TestWithParam<ArgsCase> {};

TEST_P(ParseSampleArgsTest, ParsesOrRefuses) {
  const ArgsCase& c = GetParam();
  std::string error;
  const std::optional<SampleArgs> parsed = ParseSampleArgs(c.args, error);
  if (!c.ok) {
    EXPECT_FALSE(parsed);
    EXPECT_FALSE(error.empty());
    return;
  }
  ASSERT_TRUE(parsed) << error;
  EXPECT_FALSE(parsed->help);
  EXPECT_EQ(parsed->outPath, c.outPath);
  EXPECT_EQ(parsed->options.seed, c.seed);
  EXPECT_EQ(parsed->options.lineCount, c.lineCount);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseSampleArgsTest,
    testing::Values(
        ArgsCase{"SeedOnly", {"a.plim", "--seed", "7"}, true, "a.plim", 7, std::nullopt},
        ArgsCase{"OptionsFirst", {"--lines", "12", "--seed", "3", "b.plim"}, true, "b.plim", 3, 12},
        ArgsCase{"LargestSeed",
                 {"c.plim", "--seed", "4294967295"},
                 true,
                 "c.plim",
                 4294967295u,
                 std::nullopt},
        ArgsCase{"LineBounds", {"d.plim", "--seed", "0", "--lines", "100"}, true, "d.plim", 0, 100},
        ArgsCase{"NoOutput", {"--seed", "1"}, false, "", 0, std::nullopt},
        ArgsCase{"NoSeed", {"a.plim"}, false, "", 0, std::nullopt},
        ArgsCase{"SeedWithoutValue", {"a.plim", "--seed"}, false, "", 0, std::nullopt},
        ArgsCase{"SeedTooLarge", {"a.plim", "--seed", "4294967296"}, false, "", 0, std::nullopt},
        ArgsCase{"NegativeSeed", {"a.plim", "--seed", "-1"}, false, "", 0, std::nullopt},
        ArgsCase{"SeedWithJunk", {"a.plim", "--seed", "12x"}, false, "", 0, std::nullopt},
        ArgsCase{"SeedTwice", {"a.plim", "--seed", "1", "--seed", "2"}, false, "", 0, std::nullopt},
        ArgsCase{
            "ZeroLines", {"a.plim", "--seed", "1", "--lines", "0"}, false, "", 0, std::nullopt},
        ArgsCase{"TooManyLines",
                 {"a.plim", "--seed", "1", "--lines", "101"},
                 false,
                 "",
                 0,
                 std::nullopt},
        ArgsCase{
            "EmptyLines", {"a.plim", "--seed", "1", "--lines", ""}, false, "", 0, std::nullopt},
        ArgsCase{"TwoOutputs", {"a.plim", "b.plim", "--seed", "1"}, false, "", 0, std::nullopt},
        ArgsCase{"UnknownOption",
                 {"a.plim", "--seed", "1", "--dpi", "300"},
                 false,
                 "",
                 0,
                 std::nullopt}),
    [](const testing::TestParamInfo<ArgsCase>& info) { return info.param.name; });

TEST(ParseSampleArgsHelpTest, HelpNeedsNothingElse) {
  std::string error;
  const std::optional<SampleArgs> parsed = ParseSampleArgs({"--help"}, error);
  ASSERT_TRUE(parsed) << error;
  EXPECT_TRUE(parsed->help);
}

}  // namespace

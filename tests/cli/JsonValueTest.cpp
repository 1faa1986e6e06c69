// The JSON reader behind stats --merge: what JSON allows is read exactly (escapes, surrogate
// pairs, whole numbers), anything else is refused with its place, and hostile nesting is refused
// rather than exhausting the stack.
#include "cli/pages/JsonValue.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(JsonValue, ReadsJsonAndRefusesTheRest) {
  struct Case {
    std::string json;
    const char* problem;  // nullptr: read
  };
  const Case cases[] = {
      {R"( {"a":[1,-2,3.5,1e3,true,null],"b":"x\u00e9\ud83d\ude00\n\\"} )", nullptr},
      {"{\"a\":1,}", "a member without a name at byte 7"},
      {"[1 2]", "an array without ']' at byte 3"},
      {"\"\\ud800x\"", "a lone surrogate in a string"},
      {"\"\\q\"", "an unknown escape"},
      {"\"tab\there\"", "a control character"},
      {"\"\xC3(\"", "a byte that is no UTF-8"},
      {"{\"a\":1} {}", "text after the document"},
      {"+1", "no value"},
      {"", "the end of the text"},
      {std::string(100000, '['), "nesting too deep"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json.substr(0, 40));
    std::string problem;
    const std::optional<JsonValue> value = JsonValue::Parse(c.json, problem);
    if (c.problem == nullptr) {
      ASSERT_TRUE(value) << problem;
    } else {
      EXPECT_FALSE(value);
      EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
  }
  std::string problem;
  const JsonValue value = *JsonValue::Parse(cases[0].json, problem);
  const std::vector<JsonValue>& a = value["a"].Elements();
  ASSERT_EQ(a.size(), 6u);
  EXPECT_EQ(a[1].Integer(), -2);
  EXPECT_FALSE(a[2].Integer());  // not whole
  EXPECT_FALSE(a[3].Integer());  // not written as a whole number
  EXPECT_EQ(a[4].kind(), JsonValue::Kind::kBool);
  EXPECT_TRUE(a[5].IsNull());
  EXPECT_EQ(value["b"].Text(), "x\xC3\xA9\xF0\x9F\x98\x80\n\\");
  EXPECT_TRUE(value["missing"]["deeper"].IsNull());
}

}  // namespace

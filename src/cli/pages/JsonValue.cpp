#include "cli/pages/JsonValue.h"

#include <charconv>

#include "cli/output/TextFormat.h"
#include "platform/system/CodePage.h"

namespace {

constexpr int kMaxDepth = 512;

}  // namespace

// A recursive descent over the text; the first problem stops it.
class JsonReader {
 public:
  JsonReader(std::string_view json, std::size_t maxValues) : json_(json), valuesLeft_(maxValues) {}

  std::optional<JsonValue> Document(std::string& problem) {
    JsonValue value;
    if (Value(value, 0)) {
      SkipSpace();
      if (at_ != json_.size()) Fail("text after the document");
    }
    if (!problem_.empty()) {
      problem = problem_ + " at byte " + std::to_string(at_);
      return std::nullopt;
    }
    return value;
  }

 private:
  bool Fail(const char* what) {
    if (problem_.empty()) problem_ = what;
    return false;
  }

  void SkipSpace() {
    while (at_ < json_.size() &&
           (json_[at_] == ' ' || json_[at_] == '\t' || json_[at_] == '\n' || json_[at_] == '\r')) {
      ++at_;
    }
  }

  bool Take(char c) {
    SkipSpace();
    if (at_ < json_.size() && json_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  bool Word(std::string_view word) {
    if (json_.substr(at_, word.size()) != word) return Fail("an unknown word");
    at_ += word.size();
    return true;
  }

  bool Value(JsonValue& value, int depth) {
    if (depth > kMaxDepth) return Fail("nesting too deep");
    if (valuesLeft_-- == 0) return Fail("too many values");
    SkipSpace();
    if (at_ >= json_.size()) return Fail("the end of the text where a value belongs");
    switch (json_[at_]) {
      case '{':
        return Object(value, depth);
      case '[':
        return Array(value, depth);
      case '"':
        value.kind_ = JsonValue::Kind::kString;
        return String(value.text_);
      case 't':
      case 'f':
        value.kind_ = JsonValue::Kind::kBool;
        return Word(json_[at_] == 't' ? "true" : "false");
      case 'n':
        return Word("null");
      default:
        return Number(value);
    }
  }

  bool Object(JsonValue& value, int depth) {
    ++at_;
    value.kind_ = JsonValue::Kind::kObject;
    if (Take('}')) return true;
    do {
      std::string name;
      SkipSpace();
      if (at_ >= json_.size() || json_[at_] != '"') return Fail("a member without a name");
      if (!String(name)) return false;
      if (!Take(':')) return Fail("a member name without ':'");
      if (!Value(value.members_[name], depth + 1)) return false;
    } while (Take(','));
    return Take('}') || Fail("an object without '}'");
  }

  bool Array(JsonValue& value, int depth) {
    ++at_;
    value.kind_ = JsonValue::Kind::kArray;
    if (Take(']')) return true;
    do {
      if (!Value(value.elements_.emplace_back(), depth + 1)) return false;
    } while (Take(','));
    return Take(']') || Fail("an array without ']'");
  }

  bool Hex4(char32_t& code) {
    unsigned parsed = 0;
    const char* first = json_.data() + at_;
    if (json_.size() - at_ < 4 || std::from_chars(first, first + 4, parsed, 16).ptr != first + 4) {
      return Fail("a \\u escape without four hex digits");
    }
    at_ += 4;
    code = parsed;
    return true;
  }

  bool String(std::string& out) {
    ++at_;
    while (at_ < json_.size()) {
      const char c = json_[at_];
      if (c == '"') {
        ++at_;
        return true;
      }
      if (static_cast<unsigned char>(c) < 0x20) return Fail("a control character in a string");
      if (c != '\\') {
        const std::size_t length = Utf8CharLength(json_.substr(at_));
        if (length == 0) return Fail("a byte that is no UTF-8 in a string");
        out.append(json_.substr(at_, length));
        at_ += length;
        continue;
      }
      if (++at_ >= json_.size()) break;
      const char escaped = json_[at_++];
      const std::string_view simple = "\"\\/bfnrt";
      const std::string_view meant = "\"\\/\b\f\n\r\t";
      if (const std::size_t k = simple.find(escaped); k != std::string_view::npos) {
        out += meant[k];
        continue;
      }
      char32_t code = 0;
      if (escaped != 'u' || !Hex4(code)) return Fail("an unknown escape in a string");
      if (code >= 0xD800 && code < 0xDC00) {
        char32_t low = 0;
        if (json_.substr(at_, 2) != "\\u" || (at_ += 2, !Hex4(low)) || low < 0xDC00 ||
            low >= 0xE000) {
          return Fail("a lone surrogate in a string");
        }
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      } else if (code >= 0xDC00 && code < 0xE000) {
        return Fail("a lone surrogate in a string");
      }
      AppendUtf8(code, out);
    }
    return Fail("a string without its closing quote");
  }

  bool Number(JsonValue& value) {
    const std::size_t start = at_;
    if (at_ < json_.size() && json_[at_] == '-') ++at_;
    bool whole = true;
    while (at_ < json_.size()) {
      const char c = json_[at_];
      if (c == '.' || c == 'e' || c == 'E' || c == '+' || (c == '-' && at_ > start)) {
        whole = false;
      } else if (c < '0' || c > '9') {
        break;
      }
      ++at_;
    }
    const std::string_view text = json_.substr(start, at_ - start);
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
      return Fail("no value");
    }
    value.kind_ = JsonValue::Kind::kNumber;
    std::int64_t integer = 0;
    if (whole &&
        std::from_chars(text.data(), text.data() + text.size(), integer).ec == std::errc()) {
      value.integer_ = integer;
    }
    return true;
  }

  std::string_view json_;
  std::size_t at_ = 0;
  std::size_t valuesLeft_;
  std::string problem_;
};

const JsonValue& JsonValue::operator[](std::string_view name) const {
  static const JsonValue kNull;
  const auto member = members_.find(name);
  return member == members_.end() ? kNull : member->second;
}

std::optional<JsonValue> JsonValue::Parse(std::string_view json, std::string& problem,
                                          std::size_t maxValues) {
  return JsonReader(json, maxValues).Document(problem);
}

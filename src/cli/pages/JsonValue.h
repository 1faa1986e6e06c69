#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A JSON document read back (the tool's own JSON, such as stats --json), without Qt. Lookups
// of what is not there give the null value, so a path through a document is read in one
// expression and checked once.
class JsonValue {
 public:
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };

  Kind kind() const { return kind_; }
  bool IsNull() const { return kind_ == Kind::kNull; }
  bool IsArray() const { return kind_ == Kind::kArray; }

  // The number when it is a whole number that JSON wrote exactly (no fraction, within int64).
  std::optional<std::int64_t> Integer() const { return integer_; }
  // The text of a string (UTF-8); empty for other kinds.
  const std::string& Text() const { return text_; }
  // The elements of an array; none for other kinds.
  const std::vector<JsonValue>& Elements() const { return elements_; }
  // The member `name` of an object; the null value when there is none.
  const JsonValue& operator[](std::string_view name) const;

  // Reads `json`, one value and nothing but white space around it, nested at most 512 deep and
  // of at most `maxValues` values (each takes far more memory than its text). Nothing, with
  // `problem` set ("<what> at byte N"), when it is no such document.
  static std::optional<JsonValue> Parse(std::string_view json, std::string& problem,
                                        std::size_t maxValues = SIZE_MAX);

 private:
  friend class JsonReader;
  Kind kind_ = Kind::kNull;
  std::optional<std::int64_t> integer_;
  std::string text_;
  std::vector<JsonValue> elements_;
  std::map<std::string, JsonValue, std::less<>> members_;
};

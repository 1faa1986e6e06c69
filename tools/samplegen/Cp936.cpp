#include "samplegen/Cp936.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <vector>

namespace {

// Owns one conversion descriptor for the length of a call.
class Converter {
 public:
  Converter() : handle_(iconv_open("CP936", "UTF-8")) {}
  ~Converter() {
    if (ok()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return handle_; }

 private:
  iconv_t handle_;
};

// Characters in valid UTF-8: every byte that does not continue a sequence starts one.
std::int64_t CountCharacters(std::string_view utf8) {
  std::int64_t count = 0;
  for (unsigned char byte : utf8) {
    if ((byte & 0xC0) != 0x80) ++count;
  }
  return count;
}

}  // namespace

std::optional<Cp936Label> EncodeCp936Label(std::string_view utf8, std::string& error) {
  Converter converter;
  if (!converter.ok()) {
    error = "code page 936 conversion is not available (iconv CP936)";
    return std::nullopt;
  }
  // Code page 936 never needs more bytes than UTF-8 for the same text.
  std::string input(utf8);
  std::vector<char> output(input.size() + 1);
  char* in = input.data();
  std::size_t inLeft = input.size();
  char* out = output.data();
  std::size_t outLeft = output.size();
  if (iconv(converter.get(), &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
    error = errno == EILSEQ ? "text holds a character code page 936 cannot express"
                            : "text is not valid UTF-8";
    return std::nullopt;
  }
  Cp936Label label;
  label.bytes.assign(output.data(), out);
  // A lead byte is always 0x81 or above; any lower byte in lead position is a
  // single-byte character.
  for (std::size_t i = 0; i < label.bytes.size(); i += 2) {
    if (static_cast<unsigned char>(label.bytes[i]) < 0x81 || i + 1 == label.bytes.size()) {
      error = "text holds a single-byte character; use full-width forms";
      return std::nullopt;
    }
  }
  const std::int64_t characters = CountCharacters(utf8);
  if (characters * 2 != static_cast<std::int64_t>(label.bytes.size())) {
    error = "text does not encode to two bytes per character";
    return std::nullopt;
  }
  label.charCount = static_cast<std::int32_t>(characters);
  return label;
}

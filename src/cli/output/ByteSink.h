#pragma once

#include <string>
#include <string_view>

// Where an encoder's bytes go, in order, as they are made: a file, standard output, memory.
class ByteSink {
 public:
  // Appends `bytes`; false when the output has failed (the encoder then stops).
  virtual bool Write(std::string_view bytes) = 0;

 protected:
  ~ByteSink() = default;
};

// An encoder's bytes kept in memory. Throws std::bad_alloc when memory runs out.
struct StringSink final : ByteSink {
  std::string bytes;
  bool Write(std::string_view more) override {
    bytes.append(more);
    return true;
  }
};

#pragma once

#include <string_view>

// Where an encoder's bytes go, in order, as they are made: a file, standard output, memory.
class ByteSink {
 public:
  // Appends `bytes`; false when the output has failed (the encoder then stops).
  virtual bool Write(std::string_view bytes) = 0;

 protected:
  ~ByteSink() = default;
};

#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/RunProgram.h"

// Runs the built plimdisp-cli with `arguments`.
inline ProgramResult Cli(const std::vector<std::string>& arguments) {
  return RunProgram(BuiltProgram("plimdisp-cli"), arguments);
}

// The whole content of the file at `path`, or "" when it cannot be read.
inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Number of times `part` occurs in `text`.
inline std::size_t CountOf(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) {
    ++count;
  }
  return count;
}

#pragma once

#include <string>
#include <vector>

struct ProgramResult {
  int exitCode = -1;  // -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs `program` with `arguments` (no shell involved), waits for it and collects its output.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments);

// Path of a program built into the build tree, from the PLIMDISP_BINARY_DIR environment value.
std::string BuiltProgram(const std::string& name);

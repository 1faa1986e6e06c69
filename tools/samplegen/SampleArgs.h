#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "samplegen/SamplePage.h"

inline constexpr const char* kSampleUsage =
    "usage: plimdisp-samplegen OUT.plim --seed N [--lines N]\n"
    "  --seed N   page seed, 0..4294967295; the same seed makes the same page\n"
    "  --lines N  lines on the page, 1..100 (default: 10..20, chosen by the seed)\n";

struct SampleArgs {
  bool help = false;  // --help or -h: print the usage and do nothing else
  std::string outPath;
  SampleOptions options;
};

// Parses the arguments after the program name. Options may come before or after OUT.plim.
// Fails with a message in `error` on a missing or repeated argument, an unknown option or a
// number out of range.
std::optional<SampleArgs> ParseSampleArgs(const std::vector<std::string>& args, std::string& error);

#pragma once

#include "cli/commands/CommandLine.h"

// Options only `export --format lmdb` takes: lines narrower or lower than these many pixels
// are left out.
inline constexpr std::string_view kMinWidthOption = "--min-width";
inline constexpr std::string_view kMinHeightOption = "--min-height";

// export --format lmdb FILE... -o DIR.lmdb: the n-th line kept (from 1, in page-then-line
// order, lines without pixels left out) as `image-%09d` (its crop as --format lines writes
// it) and `label-%09d` (its label in UTF-8), and `num-samples` (n as decimal text), in one
// LMDB environment written whole (LmdbOutput). Returns the exit code.
int RunLmdbExport(const ParsedArguments& parsed);

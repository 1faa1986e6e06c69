#pragma once

#include <cstdio>
#include <span>
#include <string_view>

// Exit codes shared by every subcommand.
inline constexpr int kExitOk = 0;
inline constexpr int kExitCannotOpen = 1;  // the page file cannot be opened or is refused
inline constexpr int kExitUsage = 2;

// The reason given when memory runs out, wherever that happens.
inline constexpr char kNotEnoughMemory[] = "not enough memory";

using Arguments = std::span<const std::string_view>;

// One `plimdisp-cli NAME ...` command. `run` gets the arguments after NAME.
struct Subcommand {
  std::string_view name;
  std::string_view synopsis;  // e.g. "info FILE [--json]"
  std::string_view summary;   // one line for the global help
  int (*run)(Arguments arguments);
  // The exit code of a run that fails as a whole (output lost, memory out), at the least.
  int failureExitCode = kExitCannotOpen;
};

// Prints the synopsis of `command` to `out`, for its --help and for usage errors.
void PrintSynopsis(const Subcommand& command, std::FILE* out);
// Reports a usage error of `command` on stderr, `problem` shown through DisplayText, and
// returns kExitUsage.
int UsageError(const Subcommand& command, std::string_view problem);

// Every subcommand, in the order the global help lists them.
std::span<const Subcommand* const> AllSubcommands();

extern const Subcommand kInfoCommand;
extern const Subcommand kExportCommand;
extern const Subcommand kCheckCommand;
extern const Subcommand kRenderCommand;
extern const Subcommand kStatsCommand;
extern const Subcommand kGrepCommand;
extern const Subcommand kThumbnailCommand;

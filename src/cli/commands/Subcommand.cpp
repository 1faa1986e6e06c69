#include "cli/commands/Subcommand.h"

void PrintSynopsis(const Subcommand& command, std::FILE* out) {
  std::fprintf(out, "Usage: plimdisp-cli %.*s\n%.*s\n", static_cast<int>(command.synopsis.size()),
               command.synopsis.data(), static_cast<int>(command.summary.size()),
               command.summary.data());
}

int UsageError(const Subcommand& command, std::string_view problem) {
  std::fprintf(stderr, "plimdisp-cli %.*s: %.*s\n", static_cast<int>(command.name.size()),
               command.name.data(), static_cast<int>(problem.size()), problem.data());
  PrintSynopsis(command, stderr);
  return kExitUsage;
}

std::span<const Subcommand* const> AllSubcommands() {
  static const Subcommand* const subcommands[] = {
      &kInfoCommand,  &kExportCommand, &kCheckCommand,    &kRenderCommand,
      &kStatsCommand, &kGrepCommand,   &kThumbnailCommand};
  return subcommands;
}

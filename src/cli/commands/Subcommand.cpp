#include "cli/commands/Subcommand.h"

#include <string>

#include "cli/output/TextFormat.h"

void PrintSynopsis(const Subcommand& command, std::FILE* out) {
  std::fprintf(out, "Usage: plimdisp-cli %.*s\n%.*s\n", static_cast<int>(command.synopsis.size()),
               command.synopsis.data(), static_cast<int>(command.summary.size()),
               command.summary.data());
}

int UsageError(const Subcommand& command, std::string_view problem) {
  // Problems quote arguments, which may hold anything.
  const std::string shown = DisplayText(problem);
  std::fprintf(stderr, "plimdisp-cli %.*s: %s\n", static_cast<int>(command.name.size()),
               command.name.data(), shown.c_str());
  PrintSynopsis(command, stderr);
  return kExitUsage;
}

std::span<const Subcommand* const> AllSubcommands() {
  static const Subcommand* const subcommands[] = {
      &kInfoCommand,  &kExportCommand, &kCheckCommand,    &kRenderCommand,
      &kStatsCommand, &kGrepCommand,   &kThumbnailCommand};
  return subcommands;
}

// plimdisp-cli: page file tools beside the viewer. Each subcommand lives in its own file and
// has one entry in the table below.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Subcommand.h"
#include "resources/Version.h"

namespace {

const Subcommand* const kSubcommands[] = {&kInfoCommand,   &kExportCommand, &kCheckCommand,
                                          &kRenderCommand, &kStatsCommand,  &kGrepCommand};

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "Usage: plimdisp-cli COMMAND [ARGUMENTS]\n       plimdisp-cli --version\n\n");
  std::fprintf(out, "Commands:\n");
  for (const Subcommand* command : kSubcommands) {
    std::fprintf(out, "  %.*s\n      %.*s\n", static_cast<int>(command->synopsis.size()),
                 command->synopsis.data(), static_cast<int>(command->summary.size()),
                 command->summary.data());
  }
  std::fprintf(out, "\nRun 'plimdisp-cli COMMAND --help' for one command.\n");
  std::fprintf(out,
               "Exit status: 0 done, 1 the page file cannot be opened or is refused, "
               "2 wrong usage.\n");
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (arguments.empty()) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  const std::string_view first = arguments.front();
  if (first == "--help" || first == "-h") {
    PrintUsage(stdout);
    return kExitOk;
  }
  if (first == "--version") {
    std::printf("%s\n", kPlimDispVersion);
    return kExitOk;
  }
  for (const Subcommand* command : kSubcommands) {
    if (command->name == first) return command->run(Arguments(arguments).subspan(1));
  }
  std::fprintf(stderr, "plimdisp-cli: unknown command '%s'\n\n", std::string(first).c_str());
  PrintUsage(stderr);
  return kExitUsage;
}

// plimdisp-cli: page file tools beside the viewer. Each subcommand lives in its own file and
// has one entry in the table below.
#include <cstdio>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands/Subcommand.h"
#include "cli/output/StandardStreams.h"
#include "cli/output/TextFormat.h"
#include "resources/Version.h"

namespace {

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "Usage: plimdisp-cli COMMAND [ARGUMENTS]\n       plimdisp-cli --version\n\n");
  std::fprintf(out, "Commands:\n");
  for (const Subcommand* command : AllSubcommands()) {
    std::fprintf(out, "  %.*s\n      %.*s\n", static_cast<int>(command->synopsis.size()),
                 command->synopsis.data(), static_cast<int>(command->summary.size()),
                 command->summary.data());
  }
  std::fprintf(out, "\nRun 'plimdisp-cli COMMAND --help' for one command.\n");
  std::fprintf(out,
               "Exit status: 0 done, 1 a page file cannot be opened or is refused, or output\n"
               "was lost, 2 wrong usage.\n\n"
               "Output files appear whole or not at all, and never over an input file (by\n"
               "any name, link or open stream); an existing device is written in place, and\n"
               "so is an empty file of yours that a caller made for the output. -o - and\n"
               "/dev/stdout, /dev/fd/N and the like write to the stream they name. Outputs\n"
               "are not flushed to the disk unless --sync is given (one flush per page).\n"
               "File names in JSON: a byte that is no part of a UTF-8 character becomes the\n"
               "text \\xHH (JSON \"\\\\xHH\"). In text output such bytes, controls,\n"
               "direction and zero-width marks and line separators are shown as \\xHH.\n");
}

// Runs the command `arguments` name; `failureExitCode` receives its Subcommand::failureExitCode.
int Run(const std::vector<std::string_view>& arguments, int& failureExitCode) {
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
  for (const Subcommand* command : AllSubcommands()) {
    if (command->name == first) {
      failureExitCode = command->failureExitCode;
      return command->run(Arguments(arguments).subspan(1));
    }
  }
  std::fprintf(stderr, "plimdisp-cli: unknown command '%s'\n\n", DisplayText(first).c_str());
  PrintUsage(stderr);
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  GuardStandardStreams();
  int failureExitCode = kExitCannotOpen;
  int exitCode = kExitCannotOpen;
  try {
    exitCode =
        Run(std::vector<std::string_view>(argv + (argc > 0 ? 1 : 0), argv + argc), failureExitCode);
  } catch (const std::bad_alloc&) {
    // Commands refuse what they cannot allocate; this catches what a library throws.
    std::fprintf(stderr, "plimdisp-cli: %s\n", kNotEnoughMemory);
    exitCode = failureExitCode;
  }
  return FinishStandardStreams(exitCode, failureExitCode);
}

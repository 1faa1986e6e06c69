#pragma once

#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/commands/Subcommand.h"
#include "platform/system/CodePage.h"

// An option of one subcommand besides the ones every subcommand takes (--codepage, --help).
struct OptionSpec {
  std::string_view name;  // with its dashes, e.g. "--json"
  bool takesValue = false;
};

// The arguments of one subcommand sorted into options and page inputs.
struct ParsedArguments {
  std::vector<std::string> inputs;  // FILE and folder arguments, in the order given (never empty)
  std::string codePage{kDefaultCodePage};                   // a code page the converter knows
  std::map<std::string, std::string, std::less<>> options;  // given options; flags hold ""
  unsigned jobs = 1;  // workers for a batch: -j N, 1 to kMaxJobs

  bool Has(std::string_view name) const { return options.contains(name); }
  // The value of `name`, or `fallback` when the option was not given.
  std::string Value(std::string_view name, std::string_view fallback = {}) const;
};

// Either the arguments to run with, or the exit code to return at once: after --help, which
// prints the synopsis, or after a usage error, which is reported on stderr.
using ParseOutcome = std::variant<ParsedArguments, int>;

// Parses `arguments` of `command`: its own `options` (a value as "--name VALUE" or
// "--name=VALUE"), "--codepage NAME", "--help"/"-h", and "--" after which everything is an input.
// When `options` has "-j", its value must be a whole number from 1 to kMaxJobs; when it has
// "--sync" and that is given, outputs are made durable (SetDurableOutputs).
// At least one input is required. Every input is noted as an input of the run (NoteRunInput)
// before the command opens any output.
ParseOutcome ParseArguments(const Subcommand& command, Arguments arguments,
                            std::span<const OptionSpec> options = {});

// Makes the folder that -o names for a command writing several files. Returns nothing when it
// is there, or the exit code after reporting: a usage error when -o names a stream (several
// files cannot go to one), kExitCannotOpen when the folder cannot be made.
std::optional<int> MakeFolderForOutputs(const Subcommand& command, const std::string& folder);

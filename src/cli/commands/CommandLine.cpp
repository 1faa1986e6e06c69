#include "cli/commands/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>

#include "cli/output/OutputFile.h"
#include "cli/output/TextFormat.h"
#include "cli/pages/PageBatch.h"

namespace {

constexpr OptionSpec kCodePageOption{"--codepage", true};

const OptionSpec* FindOption(std::span<const OptionSpec> options, std::string_view name) {
  if (name == kCodePageOption.name) return &kCodePageOption;
  const auto found = std::find_if(options.begin(), options.end(),
                                  [&](const OptionSpec& option) { return option.name == name; });
  return found == options.end() ? nullptr : &*found;
}

bool KnownCodePage(std::string_view name) { return DecodeMultiByte("", name).has_value(); }

// The worker count N of "-j N", or nothing when N is no whole number in 1..kMaxJobs.
std::optional<unsigned> JobCount(std::string_view text) {
  unsigned jobs = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
  if (error != std::errc() || end != text.data() + text.size() || jobs < 1 || jobs > kMaxJobs) {
    return std::nullopt;
  }
  return jobs;
}

}  // namespace

std::string ParsedArguments::Value(std::string_view name, std::string_view fallback) const {
  const auto found = options.find(name);
  return found == options.end() ? std::string(fallback) : found->second;
}

ParseOutcome ParseArguments(const Subcommand& command, Arguments arguments,
                            std::span<const OptionSpec> options) {
  ParsedArguments parsed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (optionsEnded || !argument.starts_with("-") || argument == "-") {
      parsed.inputs.emplace_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (argument == "--help" || argument == "-h") {
      PrintSynopsis(command, stdout);
      return kExitOk;
    }
    const std::size_t equals = argument.find('=');
    const std::string_view name = argument.substr(0, equals);
    const OptionSpec* option = FindOption(options, name);
    if (option == nullptr) {
      return UsageError(command, "unknown option " + std::string(argument));
    }
    std::optional<std::string_view> value;
    if (equals != std::string_view::npos) {
      value = argument.substr(equals + 1);
    } else if (option->takesValue && i + 1 < arguments.size()) {
      value = arguments[++i];
    }
    if (option->takesValue != value.has_value()) {
      return UsageError(
          command, std::string(name) + (option->takesValue ? " needs a value" : " takes no value"));
    }
    parsed.options[std::string(name)] = std::string(value.value_or(""));
  }
  if (parsed.inputs.empty()) return UsageError(command, "FILE is missing");
  parsed.codePage = parsed.Value(kCodePageOption.name, kDefaultCodePage);
  if (parsed.codePage.empty()) return UsageError(command, "--codepage needs a value");
  if (parsed.codePage.find('/') != std::string::npos) {
    return UsageError(command,
                      "--codepage takes a code page's name alone, without //IGNORE, "
                      "//TRANSLIT or any other suffix: " +
                          parsed.codePage);
  }
  if (!KnownCodePage(parsed.codePage)) {
    return UsageError(command, "unknown code page " + parsed.codePage);
  }
  if (parsed.Has("-j")) {
    const std::optional<unsigned> jobs = JobCount(parsed.Value("-j"));
    if (!jobs) {
      return UsageError(command, "-j needs a number of workers from 1 to " +
                                     std::to_string(kMaxJobs) + ", not " + parsed.Value("-j"));
    }
    parsed.jobs = *jobs;
  }
  if (parsed.Has("--sync")) SetDurableOutputs(true);
  for (const std::string& input : parsed.inputs) NoteRunInput(input);
  return parsed;
}

std::optional<int> MakeFolderForOutputs(const Subcommand& command, const std::string& folder) {
  if (NamesStream(folder)) {
    return UsageError(
        command, "-o " + DisplayText(folder) + " names a stream; several output files need -o DIR");
  }
  if (std::string reason; !MakeOutputFolder(folder, reason)) {
    std::fprintf(stderr, "plimdisp-cli %.*s: cannot make the folder %s: %s\n",
                 static_cast<int>(command.name.size()), command.name.data(),
                 DisplayText(folder).c_str(), reason.c_str());
    return kExitCannotOpen;
  }
  return std::nullopt;
}

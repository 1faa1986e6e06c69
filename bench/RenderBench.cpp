// plimdisp-cli, end to end, as a separate process: render of the sample page at zoom 1.0,
// info of the large page, which reads its record table and seeks over the pixels, and
// thumbnails of both pages at the default 256 pixels.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "BenchNames.h"
#include "BenchViews.h"

extern char** environ;

namespace {

// Runs `arguments` (the program first) with its output discarded; true when it exits with 0.
bool RunQuietly(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const int error = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return error == 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

void RenderSamplePage(benchmark::State& state) {
  const std::string output =
      (std::filesystem::path(Files().samplePage).parent_path() / "sample.png").string();
  const std::vector<std::string> command{Files().cli, "render", Files().samplePage, "-o", output};
  for (auto _ : state) {
    if (!RunQuietly(command)) {
      state.SkipWithError("plimdisp-cli render failed");
      break;
    }
  }
  std::error_code ignored;
  state.counters["png_bytes"] = static_cast<double>(std::filesystem::file_size(output, ignored));
}

void InfoLargePage(benchmark::State& state) {
  const std::vector<std::string> command{Files().cli, "info", Files().largePage};
  for (auto _ : state) {
    if (!RunQuietly(command)) {
      state.SkipWithError("plimdisp-cli info failed");
      break;
    }
  }
}

void Thumbnail(benchmark::State& state, const std::string& page) {
  const std::string output = (std::filesystem::path(page).parent_path() / "thumbnail.png").string();
  const std::vector<std::string> command{Files().cli, "thumbnail", page, "-o", output};
  for (auto _ : state) {
    if (!RunQuietly(command)) {
      state.SkipWithError("plimdisp-cli thumbnail failed");
      break;
    }
  }
}

}  // namespace

void RegisterRenderBenchmarks() {
  benchmark::RegisterBenchmark(kThumbnailSample, Thumbnail, Files().samplePage)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark(kThumbnailLarge, Thumbnail, Files().largePage)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark(kInfoLarge, InfoLargePage)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark(kRenderSample, RenderSamplePage)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
}

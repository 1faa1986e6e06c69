// Loading the large page into a view against reading the same file into one buffer.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <memory>

#include "BenchNames.h"
#include "BenchViews.h"

namespace {

void LoadIntoView(benchmark::State& state) {
  CDocument document;
  CPLIMDispView view(&document);
  // The first load warms the page cache; every load releases the page before it.
  if (!view.LoadPageFile(Files().largePage)) {
    state.SkipWithError("cannot load the large page");
    return;
  }
  for (auto _ : state) {
    if (!view.LoadPageFile(Files().largePage)) {
      state.SkipWithError("cannot load the large page");
      break;
    }
  }
  state.counters["lines"] = view.lineCount();
}

// Reads the whole file into a fresh buffer with plain read calls; false on an I/O error.
bool ReadWholeFile(const std::string& path, std::unique_ptr<std::uint8_t[]>& buffer) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const off_t size = lseek(fd, 0, SEEK_END);
  if (size < 0 || lseek(fd, 0, SEEK_SET) != 0) {
    close(fd);
    return false;
  }
  bool ok = true;
  auto fresh = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(size));
  for (off_t done = 0; ok && done < size;) {
    const ssize_t got = read(fd, fresh.get() + done, static_cast<std::size_t>(size - done));
    ok = got > 0;
    done += got;
  }
  close(fd);
  buffer = std::move(fresh);  // releases the previous buffer, as a load releases the page
  return ok;
}

void RawRead(benchmark::State& state) {
  std::unique_ptr<std::uint8_t[]> buffer;
  if (!ReadWholeFile(Files().largePage, buffer)) {
    state.SkipWithError("cannot read the large page");
    return;
  }
  for (auto _ : state) {
    if (!ReadWholeFile(Files().largePage, buffer)) {
      state.SkipWithError("cannot read the large page");
      break;
    }
    benchmark::DoNotOptimize(buffer.get());
  }
}

}  // namespace

void RegisterLoadBenchmarks() {
  benchmark::RegisterBenchmark(kLoadView, LoadIntoView)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark(kLoadRawRead, RawRead)->Unit(benchmark::kMillisecond)->UseRealTime();
}

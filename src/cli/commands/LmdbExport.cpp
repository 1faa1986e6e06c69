#include "cli/commands/LmdbExport.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli/output/LmdbOutput.h"
#include "cli/output/OutputTarget.h"
#include "cli/output/PngRowWriter.h"
#include "cli/output/TextFormat.h"
#include "cli/pages/PageBatch.h"
#include "cli/pages/PageInfo.h"
#include "cli/pages/PageRender.h"

namespace {

namespace fs = std::filesystem;

// Pages are put into the environment in write transactions of about this many bytes, so the
// memory a batch holds stays bounded whatever the corpus.
constexpr std::size_t kBatchBytes = std::size_t{8} << 20;

// The lines a page gives: their crops and labels in line order, and what it leaves out.
struct PageSamples {
  std::vector<std::string> images;  // PNG
  std::vector<std::string> labels;  // UTF-8
  std::size_t bytes = 0;
  std::uint64_t withoutPixels = 0;
  std::uint64_t tooSmall = 0;
};

struct SampleRules {
  std::string codePage;
  std::int32_t minWidth = 0;
  std::int32_t minHeight = 0;
};

// The samples of the page at `path`; nothing, with a report on stderr, when it fails.
std::optional<PageSamples> MakeSamples(const std::string& path, bool several,
                                       const SampleRules& rules) {
  const std::optional<CliPage> page = LoadPageOrReport(path, several, ReadDepth::kTable);
  if (!page) return std::nullopt;
  const std::unique_ptr<FilePixelSource> pixels = PixelSourceOf(*page);
  PageSamples samples;
  for (std::int32_t i = 0; i < page->body->UsedLines(); ++i) {
    const PageLine& line = page->body->lines[static_cast<std::size_t>(i)];
    if (!HasAllPixels(line, pixels.get())) {
      ++samples.withoutPixels;
      continue;
    }
    if (line.width < rules.minWidth || line.height < rules.minHeight) {
      ++samples.tooSmall;
      continue;
    }
    StringSink png;
    std::string problem;
    if (!WriteLinePng(line, pixels.get(), png, problem)) {
      PrintErr(DisplayText(path) + ":" + std::to_string(i + 1) + ": not exported: " + problem +
               "\n");
      return std::nullopt;
    }
    samples.labels.push_back(LabelText(line, rules.codePage));
    samples.bytes += png.bytes.size() + samples.labels.back().size();
    samples.images.push_back(std::move(png.bytes));
  }
  return samples;
}

std::string Key(const char* prefix, std::uint64_t number) {
  char key[32];
  std::snprintf(key, sizeof key, "%s-%09llu", prefix, static_cast<unsigned long long>(number));
  return key;
}

// Puts pages' samples into the environment numbered in page order, whatever order the pages
// are handed over in, a batch of pages in each write transaction. Every page index from 0 on
// is handed over once, a failed page with no samples.
class SampleSequence {
 public:
  explicit SampleSequence(LmdbOutput& output) : output_(output) {}

  // Takes the samples of page `index`; the thread that hands over the next page in order
  // writes it, and any that follow it and are there already, unless another thread is at it.
  void Deliver(std::size_t index, PageSamples samples) noexcept {
    {
      const std::lock_guard lock(mutex_);
      if (failed_) return;
      try {
        waiting_.emplace(index, std::move(samples));
      } catch (const std::bad_alloc&) {
        FailLocked(kNotEnoughMemory);
        return;
      }
      if (writing_) return;
      writing_ = true;
    }
    for (;;) {
      PageSamples next;
      {
        const std::lock_guard lock(mutex_);
        const auto found = waiting_.find(next_);
        if (failed_ || found == waiting_.end()) {
          writing_ = false;
          return;
        }
        next = std::move(found->second);
        waiting_.erase(found);
        ++next_;
      }
      try {
        if (!AddToBatch(std::move(next))) {
          Fail(output_.error());
          return;
        }
      } catch (const std::bad_alloc&) {
        Fail(kNotEnoughMemory);
        return;
      }
    }
  }

  bool Failed() {
    const std::lock_guard lock(mutex_);
    return failed_;
  }

  // Writes the last batch, with the count of samples; false, with `error` set, on failure.
  // Called once every page has been handed over.
  bool Finish(std::string& error) {
    try {
      if (!failed_ && !WriteBatch()) FailLocked(output_.error());
    } catch (const std::bad_alloc&) {
      FailLocked(kNotEnoughMemory);
    }
    error = error_;
    return !failed_;
  }

  std::uint64_t samples() const { return numbered_; }
  std::uint64_t withoutPixels() const { return withoutPixels_; }
  std::uint64_t tooSmall() const { return tooSmall_; }

 private:
  // With the mutex held, or once no other thread is left.
  void FailLocked(const std::string& reason) {
    if (!failed_) error_ = reason;
    failed_ = true;
    waiting_.clear();
    writing_ = false;
  }
  void Fail(const std::string& reason) {
    const std::lock_guard lock(mutex_);
    FailLocked(reason);
  }

  bool AddToBatch(PageSamples page) {
    withoutPixels_ += page.withoutPixels;
    tooSmall_ += page.tooSmall;
    batchBytes_ += page.bytes;
    batch_.push_back(std::move(page));
    return batchBytes_ < kBatchBytes || WriteBatch();
  }

  // Numbers the batch's samples on from the last, and puts them with the new count.
  bool WriteBatch() {
    std::vector<std::string> keys;
    std::uint64_t count = numbered_;
    for (const PageSamples& page : batch_) {
      for (std::size_t i = 0; i < page.images.size(); ++i) {
        ++count;
        keys.push_back(Key("image", count));
        keys.push_back(Key("label", count));
      }
    }
    const std::string countText = std::to_string(count);
    std::vector<LmdbRecord> records;
    records.reserve(keys.size() + 1);
    auto key = keys.begin();
    for (const PageSamples& page : batch_) {
      for (std::size_t i = 0; i < page.images.size(); ++i) {
        records.emplace_back(*key++, page.images[i]);
        records.emplace_back(*key++, page.labels[i]);
      }
    }
    records.emplace_back("num-samples", countText);
    if (!output_.Write(records)) return false;
    numbered_ = count;
    batch_.clear();
    batchBytes_ = 0;
    return true;
  }

  LmdbOutput& output_;
  std::mutex mutex_;
  // Guarded by the mutex.
  std::map<std::size_t, PageSamples> waiting_;
  std::size_t next_ = 0;
  bool writing_ = false;
  bool failed_ = false;
  std::string error_;
  // Touched only by the writing thread.
  std::vector<PageSamples> batch_;
  std::size_t batchBytes_ = 0;
  std::uint64_t numbered_ = 0;
  std::uint64_t withoutPixels_ = 0;
  std::uint64_t tooSmall_ = 0;
};

// The value of a size option: a whole number of pixels, 0 when not given.
std::optional<std::int32_t> MinimumSize(const ParsedArguments& parsed, std::string_view option) {
  const std::string text = parsed.Value(option, "0");
  std::int32_t size = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
  if (error != std::errc() || end != text.data() + text.size() || size < 0) return std::nullopt;
  return size;
}

int CannotWrite(const std::string& path, const std::string& reason) {
  PrintErr("plimdisp-cli export: cannot write the LMDB environment " + DisplayText(path) + ": " +
           DisplayText(reason) + "\n");
  return kExitCannotOpen;
}

}  // namespace

int RunLmdbExport(const ParsedArguments& parsed) {
  SampleRules rules{parsed.codePage};
  for (const auto& [option, size] : {std::pair{kMinWidthOption, &rules.minWidth},
                                     std::pair{kMinHeightOption, &rules.minHeight}}) {
    const std::optional<std::int32_t> value = MinimumSize(parsed, option);
    if (!value) {
      return UsageError(
          kExportCommand,
          std::string(option) + " needs a whole number of pixels, not " + parsed.Value(option));
    }
    *size = *value;
  }
  // A trailing slash, as a shell completes a folder's name, names the same environment.
  std::string path = parsed.Value("-o");
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (NamesStream(path)) {
    return UsageError(kExportCommand,
                      "-o " + path + " names a stream; an LMDB environment is a folder");
  }
  // Its folder is made as -o DIR is for the other formats.
  const fs::path folder = fs::path(path).parent_path();
  if (std::string reason; !folder.empty() && !MakeOutputFolder(folder.string(), reason)) {
    return CannotWrite(path, reason);
  }
  std::string error;
  const std::unique_ptr<LmdbOutput> output = LmdbOutput::Open(path, parsed.Has("--force"), error);
  if (!output) return CannotWrite(path, error);

  SampleSequence sequence(*output);
  const auto perPage = [&](const std::string& page, std::size_t index, bool several) {
    std::optional<PageSamples> samples;
    // Every page is handed over, however it ends, or the pages after it would wait forever.
    struct Handover {
      SampleSequence& sequence;
      std::size_t index;
      std::optional<PageSamples>& samples;
      ~Handover() { sequence.Deliver(index, samples ? std::move(*samples) : PageSamples{}); }
    } handover{sequence, index, samples};
    // After a failed write nothing more is kept, so no page is read for nothing.
    if (!sequence.Failed()) samples = MakeSamples(page, several, rules);
    return samples.has_value();
  };
  const int exitCode = ForEachPage(ExpandPageInputs(parsed.inputs), perPage, parsed.jobs);
  if (!sequence.Finish(error) || !output->Publish(exitCode == kExitOk)) {
    return CannotWrite(path, error.empty() ? output->error() : error);
  }
  if (sequence.withoutPixels() + sequence.tooSmall() > 0) {
    PrintErr(DisplayText(path) + ": " + std::to_string(sequence.samples()) + " lines written; " +
             std::to_string(sequence.withoutPixels()) + " without pixels and " +
             std::to_string(sequence.tooSmall()) + " smaller than " + std::string(kMinWidthOption) +
             "/" + std::string(kMinHeightOption) + " left out\n");
  }
  return exitCode;
}

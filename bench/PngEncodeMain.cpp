// plimdisp-bench-png DIR [ROUNDS]: the PNG encoder on raw pictures, for bench/png-vs-pillow.
// DIR holds files KIND_NAME.WxHxC.raw (C = 1 grey, 3 RGB; rows top first, no padding). For each
// kind, every picture of it is encoded ROUNDS times (default 5); prints one line per kind:
//   KIND RAW_BYTES PNG_BYTES SECONDS
// with the processor time of the fastest round, so that other load on the machine counts less.
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "cli/output/PngRowWriter.h"

namespace {

struct Picture {
  std::uint32_t width = 0, height = 0, channels = 0;
  std::vector<std::uint8_t> pixels;
};

struct CountingSink : ByteSink {
  std::size_t bytes = 0;
  bool Write(std::string_view more) override {
    bytes += more.size();
    return true;
  }
};

double ProcessorSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::size_t Encode(const Picture& picture) {
  CountingSink sink;
  PngRowWriter png(sink);
  bool written = png.Begin(picture.width, picture.height,
                           picture.channels == 3 ? PngColour::kRgb : PngColour::kGrey);
  const std::size_t row = std::size_t{picture.width} * picture.channels;
  for (std::uint32_t y = 0; written && y < picture.height; ++y) {
    written = png.WriteRow(picture.pixels.data() + y * row);
  }
  if (!written || !png.Finish()) {
    std::fprintf(stderr, "plimdisp-bench-png: %s\n", png.error().c_str());
    std::exit(1);
  }
  return sink.bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: plimdisp-bench-png DIR [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  std::map<std::string, std::vector<Picture>> kinds;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
    const std::string name = entry.path().filename().string();
    Picture picture;
    const std::size_t dot = name.find('.');
    if (entry.path().extension() != ".raw" || dot == std::string::npos ||
        std::sscanf(name.c_str() + dot + 1, "%ux%ux%u", &picture.width, &picture.height,
                    &picture.channels) != 3) {
      continue;
    }
    std::ifstream in(entry.path(), std::ios::binary);
    picture.pixels.assign(std::istreambuf_iterator<char>(in), {});
    kinds[name.substr(0, name.find('_'))].push_back(std::move(picture));
  }
  for (const auto& [kind, pictures] : kinds) {
    std::size_t raw = 0, png = 0;
    double fastest = 1e300;
    for (int round = 0; round < rounds; ++round) {
      raw = png = 0;
      const double start = ProcessorSeconds();
      for (const Picture& picture : pictures) {
        raw += picture.pixels.size();
        png += Encode(picture);
      }
      fastest = std::min(fastest, ProcessorSeconds() - start);
    }
    std::printf("%s %zu %zu %.6f\n", kind.c_str(), raw, png, fastest);
  }
  return 0;
}

// The deflate encoder on arbitrary bytes: whatever the input and however it is handed over,
// zlib must inflate the stream back to exactly the input.
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/output/Deflate.h"
#include "fuzz/FuzzBodies.h"
#include "fuzz/FuzzPage.h"

int FuzzDeflate(const std::uint8_t* data, std::size_t size) {
  if (size < kDeflateParameterBytes) return 0;
  // The parameters: the search, the pieces' length and how often the input is repeated (so
  // short inputs still reach long matches and the chunk boundaries).
  const LzSearch search = data[0] % 2 == 0 ? LzSearch::kRuns : LzSearch::kRepeats;
  const std::size_t piece = 1 + std::size_t{data[1]} * 97;
  const std::size_t copies = 1 + data[2] % 64;
  const bool sized = data[3] % 2 == 0;
  data += kDeflateParameterBytes;
  size -= kDeflateParameterBytes;
  std::vector<std::uint8_t> input;
  for (std::size_t i = 0; i < copies; ++i) input.insert(input.end(), data, data + size);

  StringSink sink;
  {
    DeflateStream stream(sink, search, sized ? input.size() : 0);
    for (std::size_t at = 0; at < input.size(); at += piece) {
      FuzzCheck(stream.Write(input.data() + at, std::min(piece, input.size() - at)),
                "a stream into memory takes every piece");
    }
    FuzzCheck(stream.Finish(), "a stream into memory finishes");
  }
  std::vector<std::uint8_t> output(input.size() + 1);
  uLongf length = static_cast<uLongf>(output.size());
  FuzzCheck(uncompress(output.data(), &length, reinterpret_cast<const Bytef*>(sink.bytes.data()),
                       static_cast<uLong>(sink.bytes.size())) == Z_OK,
            "zlib inflates the stream");
  FuzzCheck(length == input.size() && std::equal(input.begin(), input.end(), output.begin()),
            "the stream inflates to exactly the input");
  return 0;
}

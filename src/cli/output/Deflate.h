#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "cli/output/ByteSink.h"
#include "cli/output/DeflateBlock.h"

// How a stream looks for matches. Runs: only runs of the byte before (distance 1), which on
// filtered grey pictures gives smaller files than any search for earlier repeats, fastest.
// Repeats: runs and earlier occurrences of the same four bytes, a few probes deep, which pays on
// RGB pictures, whose grey pixels repeat each byte three times.
enum class LzSearch { kRuns, kRepeats };

// A zlib stream (RFC 1950 around RFC 1951) made for speed on pictures: greedy LZ77 matches of
// 4 bytes or more as `LzSearch` says, each block coded stored, with the fixed code or with its
// own code, whichever is smallest. Input
// is taken in any pieces and compressed in chunks of at most kDeflateChunk bytes, so memory is
// bounded (about 2 MiB) whatever the stream's length. The buffers outlive the stream: the
// thread's next stream takes them over, so many small pictures in a row allocate once.
// Compressed bytes go to the sink as each block is done.
inline constexpr std::size_t kDeflateChunk = std::size_t{256} << 10;

class DeflateStream {
 public:
  // `expectedBytes`, the input's length where it is known, sizes the chunks and the hash table
  // to it (0: unknown), so a short stream sets up little.
  DeflateStream(ByteSink& sink, LzSearch search, std::uint64_t expectedBytes = 0);
  ~DeflateStream();
  DeflateStream(const DeflateStream&) = delete;
  DeflateStream& operator=(const DeflateStream&) = delete;

  // Room for the next `count` input bytes (count <= kDeflateChunk; to stay within the buffers
  // sized for a short stream, count <= the expected length), to be filled by the caller
  // and then handed over with Commit(count). Nothing when the stream has failed.
  std::uint8_t* Reserve(std::size_t count);
  // Takes the `count` bytes written into the room Reserve gave. False when the sink failed.
  bool Commit(std::size_t count);
  // Reserve, copy and Commit in one, for any length.
  bool Write(const std::uint8_t* data, std::size_t count);
  // Compresses what is left, ends the stream and writes its checksum. False when the sink
  // failed at any point.
  bool Finish();

 private:
  // Compresses the input not yet compressed into one block (not the last one).
  bool CompressPending(bool final);
  // The symbols of data[at, end) into `symbols`, by each kind of search; returns their number.
  std::size_t FindRuns(const std::uint8_t* data, std::size_t at, std::size_t end,
                       LzSymbol* symbols);
  std::size_t FindRepeats(const std::uint8_t* data, std::size_t at, std::size_t end,
                          LzSymbol* symbols);
  // Moves the last kMaxDistance bytes of input to the buffer's start.
  void Slide();
  bool Emit();

  struct Workspace;
  // The last stream's workspace, for the thread's next stream.
  static thread_local std::unique_ptr<Workspace> spare_;

  ByteSink& sink_;
  LzSearch search_;
  std::size_t chunk_;  // input compressed at a time
  int hashBits_;
  std::unique_ptr<Workspace> work_;
  std::size_t end_ = 0;   // input bytes in the buffer
  std::size_t done_ = 0;  // of which compressed
  std::uint32_t adler_ = 1;
  bool failed_ = false;
};

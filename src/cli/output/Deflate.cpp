#include "cli/output/Deflate.h"

#include <zlib.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr int kMaxHashBits = 16;
constexpr std::int32_t kNoPosition = -(1 << 30);
// Reads past the input's end stay inside the buffer; what they see is never used.
constexpr std::size_t kReadSlack = 16;
// The shortest run taken (tested as one 32-bit word), and the shortest repeat searched for:
// shorter ones rarely pay for their codes on pictures.
constexpr std::uint32_t kShortestRun = 4;
constexpr std::uint32_t kMinSearched = 4;
// Earlier positions tried for a repeat, and the longest repeat whose inner positions are
// entered for later searches (measured on rendered pages: more probes or entries cost more
// time than they save bytes).
constexpr int kProbes = 4;
constexpr std::uint32_t kInsertedWithin = 32;

std::uint32_t Load32(const std::uint8_t* at) {
  std::uint32_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

std::uint64_t Load64(const std::uint8_t* at) {
  std::uint64_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

std::uint32_t Hash(std::uint32_t four, int bits) { return (four * 2654435761u) >> (32 - bits); }

// A table about as large as the chunk: a larger one would mostly stay empty.
int HashBitsFor(std::size_t chunk) {
  int bits = 10;
  while (bits < kMaxHashBits && (std::size_t{1} << bits) < chunk) ++bits;
  return bits;
}

// How many bytes at `a` equal those at `b`, up to `limit`; both may be read 8 bytes at a time
// up to `limit` rounded up to 8.
std::uint32_t MatchLength(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t limit) {
  std::uint32_t length = 0;
  while (length < limit) {
    const std::uint64_t difference = Load64(a + length) ^ Load64(b + length);
    if (difference != 0) {
      const int same = std::endian::native == std::endian::little ? std::countr_zero(difference)
                                                                  : std::countl_zero(difference);
      length += static_cast<std::uint32_t>(same) / 8;
      return std::min(length, limit);
    }
    length += 8;
  }
  return limit;
}

// The first position p in [at, end - kShortestRun] (at >= 1) where a run starts: the
// kShortestRun bytes at p all equal the byte before p. `end` when there is none.
std::size_t NextRunStart(const std::uint8_t* data, std::size_t at, std::size_t end) {
#if defined(__SSE2__)
  // Bit k of `same`: byte at + k equals the one before it; a run starts where four bits in a
  // row are set, which the 16 lanes settle for k up to 12.
  constexpr std::size_t kSettled = 16 - kShortestRun + 1;
  for (; at + 16 <= end; at += kSettled) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at - 1));
    const auto same = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(here, before)));
    const std::uint32_t starts = same & same >> 1 & same >> 2 & same >> 3 & 0x1FFFu;
    if (starts != 0) return at + static_cast<std::size_t>(std::countr_zero(starts));
  }
#endif
  for (; at + kShortestRun <= end; ++at) {
    if (Load32(data + at) == data[at - 1] * 0x01010101u) return at;
  }
  return end;
}

// Appends symbols for `count` literals.
LzSymbol* PutLiterals(LzSymbol* out, std::size_t count) {
  for (; count > 0; count -= std::min<std::size_t>(count, kMaxLiterals)) {
    *out++ = Literals(static_cast<std::uint32_t>(std::min<std::size_t>(count, kMaxLiterals)));
  }
  return out;
}

}  // namespace

// Everything a stream allocates, at the largest sizes, kept for the thread's next stream.
struct DeflateStream::Workspace {
  std::unique_ptr<std::uint8_t[]> buffer{
      new std::uint8_t[kMaxDistance + kDeflateChunk + kReadSlack]};  // history, then new input
  std::unique_ptr<std::int32_t[]> heads{
      new std::int32_t[std::size_t{1} << kMaxHashBits]};  // each hash's last position, or < 0
  // The position before each one with the same hash, by position modulo kMaxDistance.
  std::unique_ptr<std::int32_t[]> earlier{new std::int32_t[kMaxDistance]};
  Workspace() { std::fill_n(earlier.get(), kMaxDistance, kNoPosition); }
  std::unique_ptr<LzSymbol[]> symbols{new LzSymbol[kMaxDistance + kDeflateChunk]};
  BitWriter bits;
};

thread_local std::unique_ptr<DeflateStream::Workspace> DeflateStream::spare_;

DeflateStream::DeflateStream(ByteSink& sink, LzSearch search, std::uint64_t expectedBytes)
    : sink_(sink),
      search_(search),
      chunk_(expectedBytes == 0
                 ? kDeflateChunk
                 : static_cast<std::size_t>(std::min<std::uint64_t>(expectedBytes, kDeflateChunk))),
      hashBits_(HashBitsFor(chunk_)),
      work_(spare_ != nullptr ? std::move(spare_) : std::make_unique<Workspace>()) {
  if (search_ == LzSearch::kRepeats) {
    std::fill_n(work_->heads.get(), std::size_t{1} << hashBits_, kNoPosition);
  }
  work_->bits.ClearBytes();
  work_->bits.Reserve(2);
  work_->bits.Put(0x78, 8);  // deflate, 32 KiB window
  work_->bits.Put(0x01, 8);  // the fastest level; the check bits make 0x7801 a multiple of 31
}

DeflateStream::~DeflateStream() {
  work_->bits.Reset();
  spare_ = std::move(work_);
}

std::uint8_t* DeflateStream::Reserve(std::size_t count) {
  if (failed_ || count > chunk_) return nullptr;
  if (end_ + count > kMaxDistance + chunk_) {
    if (!CompressPending(false)) return nullptr;
    Slide();
  }
  return work_->buffer.get() + end_;
}

bool DeflateStream::Commit(std::size_t count) {
  if (failed_) return false;
  adler_ = static_cast<std::uint32_t>(
      adler32(adler_, work_->buffer.get() + end_, static_cast<uInt>(count)));
  end_ += count;
  return true;
}

bool DeflateStream::Write(const std::uint8_t* data, std::size_t count) {
  while (count > 0) {
    const std::size_t piece = std::min(count, chunk_);
    std::uint8_t* room = Reserve(piece);
    if (room == nullptr) return false;
    std::memcpy(room, data, piece);
    if (!Commit(piece)) return false;
    data += piece;
    count -= piece;
  }
  return !failed_;
}

bool DeflateStream::Finish() {
  if (failed_ || !CompressPending(true)) return false;
  work_->bits.Align();
  work_->bits.Reserve(4);
  for (int shift = 24; shift >= 0; shift -= 8) work_->bits.Put((adler_ >> shift) & 0xFF, 8);
  work_->bits.FlushWholeBytes();
  return Emit();
}

bool DeflateStream::CompressPending(bool final) {
  if (done_ == end_ && !final) return true;
  std::uint8_t* data = work_->buffer.get();
  std::memset(data + end_, 0, kReadSlack);
  const std::size_t first = done_;
  LzSymbol* symbols = work_->symbols.get();
  const std::size_t count = search_ == LzSearch::kRuns ? FindRuns(data, first, end_, symbols)
                                                       : FindRepeats(data, first, end_, symbols);
  done_ = end_;
  WriteDeflateBlock(work_->bits, symbols, count, data + first, end_ - first, final);
  work_->bits.FlushWholeBytes();
  return Emit();
}

std::size_t DeflateStream::FindRuns(const std::uint8_t* data, std::size_t at, std::size_t end,
                                    LzSymbol* symbols) {
  LzSymbol* out = symbols;
  std::size_t literalsFrom = at;
  if (at == 0 && at < end) ++at;  // the first byte has none before it
  // Shorter runs go as literals, so only four bytes equal to the one before start a run.
  for (std::size_t run; (run = NextRunStart(data, at, end)) != end;) {
    out = PutLiterals(out, run - literalsFrom);
    const auto limit = static_cast<std::uint32_t>(std::min<std::size_t>(kMaxMatch, end - run));
    const std::uint32_t length = MatchLength(data + run, data + run - 1, limit);
    *out++ = Match(length, 1);
    at = literalsFrom = run + length;
  }
  out = PutLiterals(out, end - literalsFrom);
  return static_cast<std::size_t>(out - symbols);
}

std::size_t DeflateStream::FindRepeats(const std::uint8_t* data, std::size_t at, std::size_t end,
                                       LzSymbol* symbols) {
  LzSymbol* out = symbols;
  std::int32_t* heads = work_->heads.get();
  std::int32_t* earlier = work_->earlier.get();
  const int bits = hashBits_;
  const auto literal = [&] {
    if (out != symbols && out[-1] >> 16 == 0 && out[-1] < kMaxLiterals) {
      ++out[-1];
    } else {
      *out++ = Literals(1);
    }
  };
  const auto insert = [&](std::size_t position) {
    std::int32_t& head = heads[Hash(Load32(data + position), bits)];
    earlier[position % kMaxDistance] = head;
    head = static_cast<std::int32_t>(position);
  };
  while (at + kMinSearched <= end) {
    const auto limit = static_cast<std::uint32_t>(std::min<std::size_t>(kMaxMatch, end - at));
    const std::uint32_t four = Load32(data + at);
    std::uint32_t length = 0, distance = 0;
    // A run of the byte before is the cheapest match there is.
    if (at > 0 && four == data[at - 1] * 0x01010101u) {
      length = MatchLength(data + at, data + at - 1, limit);
      distance = 1;
    }
    std::int32_t candidate = heads[Hash(four, bits)];
    insert(at);
    for (int probe = 0; probe < kProbes && length < limit && candidate >= 0 &&
                        at - static_cast<std::size_t>(candidate) <= kMaxDistance;
         ++probe) {
      if (Load32(data + candidate) == four) {
        const std::uint32_t found = MatchLength(data + at, data + candidate, limit);
        if (found > length) {
          length = found;
          distance = static_cast<std::uint32_t>(at - static_cast<std::size_t>(candidate));
        }
      }
      candidate = earlier[static_cast<std::size_t>(candidate) % kMaxDistance];
    }
    if (length < kMinSearched) {
      literal();
      ++at;
      continue;
    }
    *out++ = Match(length, distance);
    // Short matches leave their inner positions findable; long ones are mostly runs.
    if (length <= kInsertedWithin) {
      for (std::size_t inner = at + 1; inner < at + length && inner + kMinSearched <= end;
           ++inner) {
        insert(inner);
      }
    }
    at += length;
  }
  for (; at < end; ++at) literal();
  return static_cast<std::size_t>(out - symbols);
}

void DeflateStream::Slide() {
  const std::size_t keep = std::min<std::size_t>(end_, kMaxDistance);
  const std::size_t shift = end_ - keep;
  std::memmove(work_->buffer.get(), work_->buffer.get() + shift, keep);
  end_ = done_ = keep;
  if (search_ == LzSearch::kRuns) return;
  const auto by = static_cast<std::int32_t>(shift);
  const auto rebase = [by](std::int32_t& position) {
    position = position >= by ? position - by : kNoPosition;
  };
  std::for_each_n(work_->heads.get(), std::size_t{1} << hashBits_, rebase);
  // Entries move with their positions: slot p % kMaxDistance becomes (p - by) % kMaxDistance.
  std::rotate(work_->earlier.get(), work_->earlier.get() + shift % kMaxDistance,
              work_->earlier.get() + kMaxDistance);
  std::for_each_n(work_->earlier.get(), kMaxDistance, rebase);
}

bool DeflateStream::Emit() {
  if (work_->bits.size() > 0 && !failed_) {
    failed_ = !sink_.Write({reinterpret_cast<const char*>(work_->bits.data()), work_->bits.size()});
  }
  work_->bits.ClearBytes();
  return !failed_;
}

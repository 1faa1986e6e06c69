#include "cli/output/DeflateBlock.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr int kLitLenCodes = 288;  // 286 used; 286 and 287 take part in the fixed code only
constexpr int kDistanceCodes = 30;
constexpr int kLengthCodes = 19;
constexpr int kEndOfBlock = 256;
constexpr int kMaxCodeBits = 15;
constexpr int kMaxLengthCodeBits = 7;
constexpr std::size_t kMaxStored = 65535;

constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                           15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                           67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistanceBase[30] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which the lengths of the code-length code are sent.
constexpr std::uint8_t kLengthCodeOrder[kLengthCodes] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                         11, 4,  12, 3, 13, 2, 14, 1, 15};

// Length and distance codes by value, looked up instead of searched.
struct CodeTables {
  std::array<std::uint8_t, kMaxMatch + 1> lengthCode{};  // minus 257
  std::array<std::uint8_t, 512> nearDistanceCode{};      // by distance - 1, below 512
  std::array<std::uint8_t, 128> farDistanceCode{};       // by (distance - 1) >> 8
  CodeTables() {
    for (int code = 0; code < 29; ++code) {
      const int end = code + 1 < 29 ? kLengthBase[code + 1] : kMaxMatch + 1;
      for (int length = kLengthBase[code]; length < end; ++length) {
        lengthCode[static_cast<std::size_t>(length)] = static_cast<std::uint8_t>(code);
      }
    }
    for (int code = 0; code < kDistanceCodes; ++code) {
      const int end = code + 1 < kDistanceCodes ? kDistanceBase[code + 1] : kMaxDistance + 1;
      for (int distance = kDistanceBase[code]; distance < end; ++distance) {
        if (distance <= 512) {
          nearDistanceCode[static_cast<std::size_t>(distance - 1)] =
              static_cast<std::uint8_t>(code);
        } else {
          farDistanceCode[static_cast<std::size_t>((distance - 1) >> 8)] =
              static_cast<std::uint8_t>(code);
        }
      }
    }
  }
  int DistanceCode(std::uint32_t distance) const {
    return distance <= 512 ? nearDistanceCode[distance - 1] : farDistanceCode[(distance - 1) >> 8];
  }
};

const CodeTables& Tables() {
  static const CodeTables tables;
  return tables;
}

// A prefix code: the bit length of each symbol and its code, bits reversed for sending.
template <int N>
struct PrefixCode {
  std::array<std::uint8_t, std::size_t{N}> lengths{};
  std::array<std::uint16_t, std::size_t{N}> codes{};
};

// Code lengths of at most `maxBits` for symbol frequencies `frequency`, shorter for more
// frequent symbols; unused symbols get 0. When fewer than two symbols are used, unused ones are
// given codes until two have one, so every code is complete.
template <int N>
void BuildLengths(std::array<std::uint32_t, std::size_t{N}> frequency, int maxBits,
                  PrefixCode<N>& code) {
  int used = static_cast<int>(
      std::count_if(frequency.begin(), frequency.end(), [](std::uint32_t f) { return f != 0; }));
  for (int symbol = 0; symbol < N && used < 2; ++symbol) {
    if (frequency[symbol] == 0) {
      frequency[symbol] = 1;
      ++used;
    }
  }
  std::array<std::uint16_t, std::size_t{N}> order{};
  int count = 0;
  for (int symbol = 0; symbol < N; ++symbol) {
    if (frequency[symbol] != 0) order[count++] = static_cast<std::uint16_t>(symbol);
  }
  std::stable_sort(order.begin(), order.begin() + count,
                   [&](std::uint16_t a, std::uint16_t b) { return frequency[a] < frequency[b]; });
  // In-place minimum-redundancy lengths (Moffat and Katajainen) over weights in ascending order.
  std::array<std::uint32_t, std::size_t{N}> a{};
  for (int i = 0; i < count; ++i) a[i] = frequency[order[i]];
  a[0] += a[1];
  for (int next = 1, root = 0, leaf = 2; next < count - 1; ++next) {
    if (leaf >= count || a[root] < a[leaf]) {
      a[next] = a[root];
      a[root++] = static_cast<std::uint32_t>(next);
    } else {
      a[next] = a[leaf++];
    }
    if (leaf >= count || (root < next && a[root] < a[leaf])) {
      a[next] += a[root];
      a[root++] = static_cast<std::uint32_t>(next);
    } else {
      a[next] += a[leaf++];
    }
  }
  a[count - 2] = 0;
  for (int next = count - 3; next >= 0; --next) a[next] = a[a[next]] + 1;
  std::array<int, std::size_t{N} + 1> perLength{};
  for (int available = 1, depth = 0, root = count - 2; available > 0; ++depth) {
    int inner = 0;
    while (root >= 0 && a[root] == static_cast<std::uint32_t>(depth)) {
      ++inner;
      --root;
    }
    perLength[std::min(depth, N)] += available - inner;  // the rest at this depth are leaves
    available = 2 * inner;
  }
  // Lengths beyond maxBits are cut to it, then the code is made complete again by moving
  // codes one level deeper (the usual adjustment; optimal enough for blocks).
  for (int bits = maxBits + 1; bits <= N; ++bits) {
    perLength[maxBits] += perLength[bits];
    perLength[bits] = 0;
  }
  std::uint32_t total = 0;
  for (int bits = maxBits; bits > 0; --bits) {
    total += static_cast<std::uint32_t>(perLength[bits]) << (maxBits - bits);
  }
  for (; total != (1u << maxBits); --total) {
    --perLength[maxBits];
    for (int bits = maxBits - 1; bits > 0; --bits) {
      if (perLength[bits] != 0) {
        --perLength[bits];
        perLength[bits + 1] += 2;
        break;
      }
    }
  }
  code.lengths.fill(0);
  for (int bits = 1, i = count - 1; bits <= maxBits; ++bits) {
    for (int k = 0; k < perLength[bits]; ++k)
      code.lengths[order[i--]] = static_cast<std::uint8_t>(bits);
  }
}

// The canonical codes of the lengths already in `code`, bits reversed.
template <int N>
void AssignCodes(PrefixCode<N>& code) {
  std::array<std::uint16_t, kMaxCodeBits + 2> next{};
  std::array<std::uint16_t, kMaxCodeBits + 1> perLength{};
  for (const std::uint8_t bits : code.lengths) ++perLength[bits];
  perLength[0] = 0;
  for (int bits = 1, value = 0; bits <= kMaxCodeBits; ++bits) {
    value = (value + perLength[bits - 1]) << 1;
    next[bits] = static_cast<std::uint16_t>(value);
  }
  for (int symbol = 0; symbol < N; ++symbol) {
    const int bits = code.lengths[symbol];
    if (bits == 0) continue;
    std::uint32_t value = next[bits]++, reversed = 0;
    for (int i = 0; i < bits; ++i, value >>= 1) reversed = reversed << 1 | (value & 1);
    code.codes[symbol] = static_cast<std::uint16_t>(reversed);
  }
}

struct BlockCodes {
  PrefixCode<kLitLenCodes> litLen;
  PrefixCode<kDistanceCodes> distance;
};

const BlockCodes& FixedCodes() {
  static const BlockCodes fixed = [] {
    BlockCodes codes;
    for (int symbol = 0; symbol < kLitLenCodes; ++symbol) {
      codes.litLen.lengths[symbol] = symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
    }
    codes.distance.lengths.fill(5);
    AssignCodes<kLitLenCodes>(codes.litLen);
    AssignCodes<kDistanceCodes>(codes.distance);
    return codes;
  }();
  return fixed;
}

// The code lengths of a dynamic block as code-length symbols: value | extra << 8.
struct LengthRun {
  std::uint8_t symbol;
  std::uint8_t extra;
};

std::vector<LengthRun> RunLengths(const std::uint8_t* lengths, int count) {
  std::vector<LengthRun> runs;
  for (int i = 0; i < count;) {
    const std::uint8_t value = lengths[i];
    int run = 1;
    while (i + run < count && lengths[i + run] == value) ++run;
    i += run;
    if (value == 0) {
      for (; run >= 11; run -= std::min(run, 138)) {
        runs.push_back({18, static_cast<std::uint8_t>(std::min(run, 138) - 11)});
      }
      if (run >= 3) {
        runs.push_back({17, static_cast<std::uint8_t>(run - 3)});
        run = 0;
      }
    } else {
      runs.push_back({value, 0});
      for (--run; run >= 3; run -= std::min(run, 6)) {
        runs.push_back({16, static_cast<std::uint8_t>(std::min(run, 6) - 3)});
      }
    }
    for (; run > 0; --run) runs.push_back({value, 0});
  }
  return runs;
}

int RunExtraBits(std::uint8_t symbol) {
  return symbol == 16 ? 2 : symbol == 17 ? 3 : symbol == 18 ? 7 : 0;
}

struct Frequencies {
  std::array<std::uint32_t, kLitLenCodes> litLen{};
  std::array<std::uint32_t, kDistanceCodes> distance{};
  std::uint64_t extraBits = 0;  // the length and distance extra bits, the same in any code
};

Frequencies Count(const LzSymbol* symbols, std::size_t count, const std::uint8_t* source) {
  const CodeTables& tables = Tables();
  Frequencies f;
  // Literals are counted in four tables in turn: runs of one byte would otherwise make each
  // count wait for the one before.
  std::array<std::array<std::uint32_t, 256>, 4> literals{};
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t length = symbols[i] >> 16;
    if (length == 0) {
      const std::uint8_t* end = source + symbols[i];
      for (; source + 4 <= end; source += 4) {
        ++literals[0][source[0]];
        ++literals[1][source[1]];
        ++literals[2][source[2]];
        ++literals[3][source[3]];
      }
      for (; source < end; ++source) ++literals[0][*source];
      continue;
    }
    source += length;
    const int lengthCode = tables.lengthCode[length];
    const int distanceCode = tables.DistanceCode(symbols[i] & 0xFFFF);
    ++f.litLen[257 + lengthCode];
    ++f.distance[distanceCode];
    f.extraBits += kLengthExtra[lengthCode] + kDistanceExtra[distanceCode];
  }
  for (int byte = 0; byte < 256; ++byte) {
    f.litLen[byte] = literals[0][byte] + literals[1][byte] + literals[2][byte] + literals[3][byte];
  }
  f.litLen[kEndOfBlock] = 1;
  return f;
}

template <int N>
std::uint64_t CodedBits(const std::array<std::uint32_t, std::size_t{N}>& frequency,
                        const PrefixCode<N>& code) {
  std::uint64_t bits = 0;
  for (int symbol = 0; symbol < N; ++symbol)
    bits += std::uint64_t{frequency[symbol]} * code.lengths[symbol];
  return bits;
}

// A dynamic block's codes and the header that sends them.
struct DynamicHeader {
  BlockCodes codes;
  PrefixCode<kLengthCodes> lengthCode;
  std::vector<LengthRun> runs;
  int litLenCount = 0, distanceCount = 0, lengthCodeCount = 0;

  std::uint64_t Bits() const {
    std::uint64_t bits = 5 + 5 + 4 + 3 * static_cast<std::uint64_t>(lengthCodeCount);
    for (const LengthRun& run : runs)
      bits += lengthCode.lengths[run.symbol] + RunExtraBits(run.symbol);
    return bits;
  }
};

DynamicHeader MakeDynamicHeader(const Frequencies& f) {
  DynamicHeader header;
  BuildLengths<kLitLenCodes>(f.litLen, kMaxCodeBits, header.codes.litLen);
  BuildLengths<kDistanceCodes>(f.distance, kMaxCodeBits, header.codes.distance);
  // 286 and 287 never occur; the fixed code alone gives them lengths.
  AssignCodes<kLitLenCodes>(header.codes.litLen);
  AssignCodes<kDistanceCodes>(header.codes.distance);
  header.litLenCount = 286;
  while (header.litLenCount > 257 && header.codes.litLen.lengths[header.litLenCount - 1] == 0) {
    --header.litLenCount;
  }
  header.distanceCount = kDistanceCodes;
  while (header.distanceCount > 1 && header.codes.distance.lengths[header.distanceCount - 1] == 0) {
    --header.distanceCount;
  }
  std::array<std::uint8_t, 286 + kDistanceCodes> all{};
  std::copy_n(header.codes.litLen.lengths.begin(), header.litLenCount, all.begin());
  std::copy_n(header.codes.distance.lengths.begin(), header.distanceCount,
              all.begin() + header.litLenCount);
  header.runs = RunLengths(all.data(), header.litLenCount + header.distanceCount);
  std::array<std::uint32_t, kLengthCodes> runFrequency{};
  for (const LengthRun& run : header.runs) ++runFrequency[run.symbol];
  BuildLengths<kLengthCodes>(runFrequency, kMaxLengthCodeBits, header.lengthCode);
  AssignCodes<kLengthCodes>(header.lengthCode);
  header.lengthCodeCount = kLengthCodes;
  while (header.lengthCodeCount > 4 &&
         header.lengthCode.lengths[kLengthCodeOrder[header.lengthCodeCount - 1]] == 0) {
    --header.lengthCodeCount;
  }
  return header;
}

void WriteHeader(BitWriter& out, const DynamicHeader& header) {
  out.Put(static_cast<std::uint32_t>(header.litLenCount - 257), 5);
  out.Put(static_cast<std::uint32_t>(header.distanceCount - 1), 5);
  out.Put(static_cast<std::uint32_t>(header.lengthCodeCount - 4), 4);
  for (int i = 0; i < header.lengthCodeCount; ++i) {
    out.Put(header.lengthCode.lengths[kLengthCodeOrder[i]], 3);
  }
  for (const LengthRun& run : header.runs) {
    out.Put(header.lengthCode.codes[run.symbol], header.lengthCode.lengths[run.symbol]);
    if (const int extra = RunExtraBits(run.symbol); extra != 0) out.Put(run.extra, extra);
  }
}

void WriteSymbols(BitWriter& writer, const BlockCodes& codes, const LzSymbol* symbols,
                  std::size_t count, const std::uint8_t* source) {
  const CodeTables& tables = Tables();
  const auto& litLen = codes.litLen;
  const auto& distance = codes.distance;
  // Each literal's code and length in one word, code in the low 16 bits.
  std::array<std::uint32_t, 256> literal{};
  for (std::size_t byte = 0; byte < literal.size(); ++byte) {
    literal[byte] = litLen.codes[byte] | std::uint32_t{litLen.lengths[byte]} << 16;
  }
  // Two literals (at most 15 bits each) as one value and its length.
  const auto pair = [&literal](const std::uint8_t* at, std::uint64_t& value) {
    const std::uint32_t first = literal[at[0]], second = literal[at[1]];
    value = (first & 0xFFFF) | std::uint64_t{second & 0xFFFF} << (first >> 16);
    return static_cast<int>((first >> 16) + (second >> 16));
  };
  BitWriter::Cursor out = writer.Open();
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t length = symbols[i] >> 16;
    if (length == 0) {
      const std::uint8_t* end = source + symbols[i];
      // Four literals go out in one step when they fit in 56 bits, as they mostly do.
      for (; source + 4 <= end; source += 4) {
        std::uint64_t low, high;
        const int lowBits = pair(source, low), highBits = pair(source + 2, high);
        if (lowBits + highBits <= 56) {
          out.Put(low | high << lowBits, lowBits + highBits);
        } else {
          out.Put(low, lowBits);
          out.Put(high, highBits);
        }
      }
      for (; source < end; ++source) {
        out.Put(literal[*source] & 0xFFFF, static_cast<int>(literal[*source] >> 16));
      }
      continue;
    }
    source += length;
    const int lengthCode = tables.lengthCode[length];
    const int symbol = 257 + lengthCode;
    out.Put(litLen.codes[symbol] | (length - kLengthBase[lengthCode]) << litLen.lengths[symbol],
            litLen.lengths[symbol] + kLengthExtra[lengthCode]);
    const std::uint32_t back = symbols[i] & 0xFFFF;
    const int distanceCode = tables.DistanceCode(back);
    out.Put(distance.codes[distanceCode] | (back - kDistanceBase[distanceCode])
                                               << distance.lengths[distanceCode],
            distance.lengths[distanceCode] + kDistanceExtra[distanceCode]);
  }
  out.Put(litLen.codes[kEndOfBlock], litLen.lengths[kEndOfBlock]);
  writer.Close(out);
}

void WriteStored(BitWriter& out, const std::uint8_t* source, std::size_t count, bool final) {
  std::size_t done = 0;
  do {
    const std::size_t piece = std::min(count - done, kMaxStored);
    const bool last = done + piece == count;
    out.Reserve(16);
    out.Put(final && last ? 1 : 0, 3);  // BTYPE 00
    out.Align();
    out.Put(static_cast<std::uint32_t>(piece), 16);
    out.Put(static_cast<std::uint32_t>(piece) ^ 0xFFFF, 16);
    out.PutBytes(source + done, piece);
    done += piece;
  } while (done < count);
}

}  // namespace

void BitWriter::Grow(std::size_t needed) {
  const std::size_t capacity = std::max(needed, 2 * capacity_);
  std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[capacity]);
  if (size_ > 0) std::memcpy(bytes.get(), bytes_.get(), size_);
  bytes_ = std::move(bytes);
  capacity_ = capacity;
}

void BitWriter::Align() {
  Reserve(8);
  if (used_ % 8 != 0) Put(0, 8 - used_ % 8);
  FlushWholeBytes();
}

void BitWriter::FlushWholeBytes() {
  Reserve(8);
  while (used_ >= 8) {
    bytes_[size_++] = static_cast<std::uint8_t>(bits_);
    bits_ >>= 8;
    used_ -= 8;
  }
}

void BitWriter::PutBytes(const std::uint8_t* data, std::size_t count) {
  Reserve(count);
  std::memcpy(bytes_.get() + size_, data, count);
  size_ += count;
}

void WriteDeflateBlock(BitWriter& out, const LzSymbol* symbols, std::size_t symbolCount,
                       const std::uint8_t* source, std::size_t count, bool final) {
  const Frequencies f = Count(symbols, symbolCount, source);
  const DynamicHeader dynamic = MakeDynamicHeader(f);
  const BlockCodes& fixed = FixedCodes();
  const std::uint64_t dynamicBits = dynamic.Bits() +
                                    CodedBits<kLitLenCodes>(f.litLen, dynamic.codes.litLen) +
                                    CodedBits<kDistanceCodes>(f.distance, dynamic.codes.distance);
  const std::uint64_t fixedBits = CodedBits<kLitLenCodes>(f.litLen, fixed.litLen) +
                                  CodedBits<kDistanceCodes>(f.distance, fixed.distance);
  const std::uint64_t pieces = std::max<std::uint64_t>(1, (count + kMaxStored - 1) / kMaxStored);
  const std::uint64_t storedBits = 8 * (std::uint64_t{count} + 4 * pieces) + 8 * pieces;
  const std::uint64_t codedBits = std::min(dynamicBits, fixedBits) + f.extraBits;
  if (storedBits < codedBits) {
    WriteStored(out, source, count, final);
    return;
  }
  const bool useFixed = fixedBits <= dynamicBits;
  // A literal takes at most 15 bits, a match 48; the header at most 3 + 14 + 57 + 316 * 14.
  out.Reserve(2 * count + 6 * (symbolCount + 1) + 600);
  out.Put((final ? 1u : 0u) | (useFixed ? 1u : 2u) << 1, 3);
  if (!useFixed) WriteHeader(out, dynamic);
  WriteSymbols(out, useFixed ? fixed : dynamic.codes, symbols, symbolCount, source);
}

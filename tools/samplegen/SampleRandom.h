#pragma once

#include <cstdint>
#include <random>

// Deterministic random numbers for sample pages. The engine's raw output sequence is fixed by
// the standard, and the mapping to ranges is our own, so a seed makes the same page with every
// standard library.
class SampleRandom {
 public:
  explicit SampleRandom(std::uint32_t seed) : engine_(seed) {}

  // A number in [low, high]; requires low <= high. The modulo bias is far too small to matter
  // for the narrow ranges used here.
  std::int32_t Between(std::int32_t low, std::int32_t high) {
    const auto span = static_cast<std::uint32_t>(static_cast<std::int64_t>(high) - low + 1);
    return static_cast<std::int32_t>(low + static_cast<std::int64_t>(engine_() % span));
  }

  // True with probability 1 / n.
  bool OneIn(std::int32_t n) { return Between(1, n) == 1; }

 private:
  std::mt19937 engine_;
};

#pragma once

#include <span>
#include <string_view>

// Simplified-Chinese sentences for sample labels, UTF-8, 8 to 22 characters each. Every
// character, punctuation included, is double-byte in code page 936 (no ASCII).
std::span<const std::string_view> SampleSentences();

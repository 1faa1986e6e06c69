#pragma once

#include <string>
#include <string_view>

// Writes `bytes` to `path` by way of a temporary file in the same folder that is then renamed
// over `path`, so a failed write leaves no partial file and any earlier file whole.
// Returns false on failure.
bool WriteFileReplacing(const std::string& path, std::string_view bytes);

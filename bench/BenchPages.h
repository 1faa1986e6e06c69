#pragma once

#include <cstdint>
#include <string>

#include "pagefile/PageModel.h"
#include "pagefile/PageReader.h"

// The benchmark workloads, generated at run time and written as page files.
//  - Large page (W1): 100 lines of 4000 x 240 grey pixels with labels on a 4200 x 25000 page,
//    about 96 MB of pixels.
//  - Sample page (W2): 15 lines on a 1200 x 1600 page.
// Line images look like scanned text: white paper with a little noise and dark strokes.

enum class Workload { kLargePage, kSamplePage };

// Writes the workload to `path`; false on an I/O error.
bool WriteWorkload(Workload workload, const std::string& path);

// A page read from `path` without taking the file exclusively, so that the same file can be
// read again while a view holds it. False (with a message on stderr) when it cannot be read.
struct LoadedPage {
  PageHeader header;
  PageBody body;
};
bool ReadPageShared(const std::string& path, LoadedPage& page);

// The bytes of the file at `path`; 0 when it cannot be opened.
std::uint64_t FileBytes(const std::string& path);

// The page loader on arbitrary bytes. Every input must load into a sound page
// model or be refused with a message, and a refused body keeps only complete lines.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "fuzz/FuzzBodies.h"
#include "fuzz/FuzzPage.h"

int FuzzLoadPage(const std::uint8_t* data, std::size_t size) {
  PageHeader header;
  auto body = std::make_unique<PageBody>();
  const PageFault fault = LoadFuzzPage({data, size}, header, *body);
  if (fault) {
    FuzzCheck(body->lineCount >= 0, "a refused body has no negative lineCount");
    FuzzCheck(fault.line < 0 || body->lineCount == fault.line,
              "a refused body keeps exactly the lines before the faulty one");
  }
  CheckPageInvariants(header.codeLength, body->lineCount, body->lines);
  return 0;
}

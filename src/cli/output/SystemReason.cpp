#include "cli/output/SystemReason.h"

#include <system_error>

std::string SystemReason(int errorNumber) {
  return std::error_code(errorNumber, std::generic_category()).message();
}

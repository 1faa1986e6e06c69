#pragma once

#include <string>

// The system's message for `errorNumber`, e.g. "Permission denied".
std::string SystemReason(int errorNumber);

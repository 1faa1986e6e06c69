#pragma once

// The program's version, as shown by the About box and `plimdisp-cli --version`.
inline constexpr char kPlimDispVersion[] = "1.0.0.1";

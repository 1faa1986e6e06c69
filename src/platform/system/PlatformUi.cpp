#include "platform/system/PlatformUi.h"

namespace {
// Dialogs run on the user-interface thread only.
PlatformUi* installed = nullptr;
PlatformUi* fallback = nullptr;
}  // namespace

PlatformUi* InstalledPlatformUi() { return installed; }

void InstallPlatformUi(PlatformUi* ui) { installed = ui; }

void SetFallbackPlatformUi(PlatformUi* ui) { fallback = ui; }

PlatformUi* ActivePlatformUi() { return installed != nullptr ? installed : fallback; }

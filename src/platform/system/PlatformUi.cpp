#include "platform/system/PlatformUi.h"

namespace {
PlatformUi* installed = nullptr;  // dialogs run on the user-interface thread only
}  // namespace

PlatformUi* InstalledPlatformUi() { return installed; }

void InstallPlatformUi(PlatformUi* ui) { installed = ui; }

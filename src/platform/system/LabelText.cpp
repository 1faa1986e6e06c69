#include "platform/system/LabelText.h"

#include <atomic>

namespace {

std::atomic<LabelTextEngine*> gEngine{nullptr};

}  // namespace

void InstallLabelText(LabelTextEngine* engine) { gEngine.store(engine); }

LabelTextEngine* InstalledLabelText() { return gEngine.load(); }

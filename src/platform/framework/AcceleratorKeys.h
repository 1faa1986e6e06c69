#pragma once

#include <QKeySequence>

#include "platform/framework/ResourceTypes.h"

// The key combination of an accelerator entry; an empty sequence for a key with no Qt
// counterpart.
QKeySequence KeySequenceOf(const ACCEL& accel);

#pragma once

#include <QKeySequence>

#include "platform/ResourceTypes.h"

// The key combination of an accelerator entry; an empty sequence for a key with no Qt
// counterpart.
QKeySequence KeySequenceOf(const ACCEL& accel);

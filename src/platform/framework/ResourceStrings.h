#pragma once

#include <QString>

#include "platform/framework/CommandIds.h"

// The program's strings (FindStringResource) in the form widgets take.

// The string of resource `id`; empty when there is none.
QString LoadQString(UINT id);
// Part `part` (from 0) of the string of resource `id`, its parts separated by newlines; empty
// when there is no such part.
QString ResourceStringPart(UINT id, int part);
// The status prompt of command `id`: the part of its string before the newline.
QString CommandPrompt(UINT id);
// The tooltip of command `id`: the part of its string after the newline.
QString CommandTip(UINT id);

// SPDX-License-Identifier: GPL-3.0-or-later
// "Convert…": the way in for a keyboard, which cannot drop. The items asked
// for take the road of a drop on the window.
#pragma once

#include "platform/events/CommandEvents.h"

// Asks for the items to convert and sends them to the application itself as
// one open-documents event. userCanceledErr when the question was cancelled.
OSStatus HandleConvertCommand();

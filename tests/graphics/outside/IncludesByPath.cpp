// SPDX-License-Identifier: GPL-3.0-or-later
// Compiled by the tests as code outside platform/ would be: naming a
// private header by its path must stop at the header's guard.
#include "platform/graphics/private/GraphicsCore.h"

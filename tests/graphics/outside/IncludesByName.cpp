// SPDX-License-Identifier: GPL-3.0-or-later
// Compiled by the tests as code outside platform/ would be: the private
// include path is the platform's own, so the bare name is not found.
#include "GraphicsCore.h"

// SPDX-License-Identifier: GPL-3.0-or-later
// The quality popup of the preferences window: the platform's levels, as
// far as the chosen output format takes them.
#pragma once

#include "app/shell/SettingControls.h"

// Low, Normal, High, Best and Lossless, with the level shown that the chosen
// format writes for the stored one (the nearest it can honour); Lossless is
// offered only where the format has a lossless mode, and the whole popup
// only where quality applies to it.
PopupChoices QualityChoices(const QVariant& stored);

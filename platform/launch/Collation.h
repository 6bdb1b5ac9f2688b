// SPDX-License-Identifier: GPL-3.0-or-later
// Unicode collation in the shape of the platform's default comparison call,
// over ICU through QCollator in the user's locale (the root order of English
// when the locale is "C", which would otherwise compare code points).
#pragma once

#include "platform/MacTypes.h"

using UCCollateOptions = UInt32;
enum : UCCollateOptions {
    kUCCollateComposedInsensitiveMask = 0x2,
    kUCCollateWidthInsensitiveMask = 0x4,
    kUCCollateCaseInsensitiveMask = 0x8,
    kUCCollateDiacritInsensitiveMask = 0x10,
    kUCCollatePunctuationSignificantMask = 0x8000,
    kUCCollateDigitsOverrideMask = 0x10000,
    kUCCollateDigitsAsNumberMask = 0x20000,
};

// Compares two runs of UTF-16 text. *order (when given) is -1, 0 or 1;
// *equivalent (when given) whether they compare equal. With digits as
// numbers, a run of decimal digits of any length compares by its value
// (leading zeros do not count); beside a run longer than ICU reads as one
// number, digits of other scripts then compare as equal to the same ASCII
// digits at every level. Composed and
// decomposed forms always compare equal (ICU's canonical closure). Case
// insensitivity also makes full- and half-width forms equal: both are the
// same level of ICU's strength. paramErr for options that ICU cannot give
// here (diacritics ignored; widths ignored while case counts), or for text
// without a pointer.
OSStatus UCCompareTextDefault(UCCollateOptions options, const UniChar* text1, UniCharCount length1,
                              const UniChar* text2, UniCharCount length2, Boolean* equivalent,
                              SInt32* order);

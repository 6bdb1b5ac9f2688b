// SPDX-License-Identifier: GPL-3.0-or-later
// Unicode collation over QCollator (ICU).
#include "platform/launch/Collation.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include <map>
#include <memory>

namespace
{

constexpr UCCollateOptions kSupportedOptions =
    kUCCollateComposedInsensitiveMask | kUCCollateWidthInsensitiveMask |
    kUCCollateCaseInsensitiveMask | kUCCollatePunctuationSignificantMask |
    kUCCollateDigitsOverrideMask | kUCCollateDigitsAsNumberMask;

QLocale collationLocale()
{
    const QLocale system;
    if (system.language() == QLocale::C)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return system;
}

// Opening an ICU collator is costly and sorting asks thousands of times, so
// each thread keeps one per set of options.
const QCollator& collatorFor(UCCollateOptions options)
{
    thread_local std::map<UCCollateOptions, std::unique_ptr<QCollator>> collators;
    auto& slot = collators[options];
    if (!slot) {
        slot = std::make_unique<QCollator>(collationLocale());
        slot->setCaseSensitivity((options & kUCCollateCaseInsensitiveMask) ? Qt::CaseInsensitive
                                                                           : Qt::CaseSensitive);
        slot->setIgnorePunctuation(!(options & kUCCollatePunctuationSignificantMask));
        slot->setNumericMode((options & kUCCollateDigitsOverrideMask) &&
                             (options & kUCCollateDigitsAsNumberMask));
    }
    return *slot;
}

// ICU reads a run of digits as one number only up to 254 digits after its
// leading zeros, and splits longer runs into several numbers: 255 nines would
// then sort after a 1 followed by 255 zeros.
constexpr qsizetype kDigitsICUReadsAsOneNumber = 254;
// Longer runs are rewritten in groups of this many digits.
constexpr qsizetype kDigitGroup = 200;

bool hasRunLongerThanICUReads(QStringView text)
{
    qsizetype significant = 0;
    for (const QChar c : text) {
        if (!c.isDigit())
            significant = 0;
        else if (significant > 0 || c.digitValue() != 0)
            ++significant;
        if (significant > kDigitsICUReadsAsOneNumber)
            return true;
    }
    return false;
}

// The text with each run of digits spelled as the count of its significant
// digits, then those digits in groups, a letter before each group: "0042"
// becomes "2d42". Two runs then compare by their lengths first and, when
// those are equal, group by group, the groups at the same place being of one
// length; that is the order of their values however long they are. Whatever
// stands beside a run compares with it as before: both begin with a digit.
QString withRunsByLength(QStringView text)
{
    QString spelled;
    spelled.reserve(text.size() + 16);
    QString digits;
    for (qsizetype i = 0; i < text.size();) {
        if (!text[i].isDigit()) {
            spelled += text[i++];
            continue;
        }
        digits.clear();
        for (; i < text.size() && text[i].isDigit(); ++i) {
            const int value = text[i].digitValue();
            if (!digits.isEmpty() || value != 0)
                digits += QChar(u'0' + value);
        }
        spelled += QString::number(digits.size());
        for (qsizetype group = 0; group < digits.size(); group += kDigitGroup) {
            spelled += u'd';
            spelled += QStringView(digits).mid(group, kDigitGroup);
        }
    }
    return spelled;
}

} // namespace

OSStatus UCCompareTextDefault(UCCollateOptions options, const UniChar* text1, UniCharCount length1,
                              const UniChar* text2, UniCharCount length2, Boolean* equivalent,
                              SInt32* order)
{
    if ((length1 > 0 && !text1) || (length2 > 0 && !text2))
        return paramErr;
    if (options & ~kSupportedOptions)
        return paramErr;
    // Width differences sit at the same ICU level as case differences.
    if ((options & kUCCollateWidthInsensitiveMask) && !(options & kUCCollateCaseInsensitiveMask))
        return paramErr;
    const QStringView first(reinterpret_cast<const char16_t*>(text1), qsizetype(length1));
    const QStringView second(reinterpret_cast<const char16_t*>(text2), qsizetype(length2));
    const QCollator& collator = collatorFor(options);
    const bool runsTooLong = collator.numericMode() &&
                             (hasRunLongerThanICUReads(first) || hasRunLongerThanICUReads(second));
    const int result = runsTooLong
                           ? collator.compare(withRunsByLength(first), withRunsByLength(second))
                           : collator.compare(first, second);
    const SInt32 sign = result < 0 ? -1 : (result > 0 ? 1 : 0);
    if (order)
        *order = sign;
    if (equivalent)
        *equivalent = sign == 0;
    return noErr;
}

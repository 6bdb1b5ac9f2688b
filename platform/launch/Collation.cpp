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
    const int result = collatorFor(options).compare(first, second);
    const SInt32 sign = result < 0 ? -1 : (result > 0 ? 1 : 0);
    if (order)
        *order = sign;
    if (equivalent)
        *equivalent = sign == 0;
    return noErr;
}

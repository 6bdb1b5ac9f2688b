// SPDX-License-Identifier: GPL-3.0-or-later
// The quality levels on offer for the chosen output format.
#include "app/shell/QualityPopup.h"

#include "platform/graphics/SaverTable.h"

#include <QCoreApplication>

#include <cstdlib>

PopupChoices QualityChoices(const QVariant& stored)
{
    struct Level {
        const char* text;
        CodecQ quality;
    };
    static constexpr Level kLevels[] = {
        {QT_TRANSLATE_NOOP("QualityPopup", "Low"), codecLowQuality},
        {QT_TRANSLATE_NOOP("QualityPopup", "Normal"), codecNormalQuality},
        {QT_TRANSLATE_NOOP("QualityPopup", "High"), codecHighQuality},
        {QT_TRANSLATE_NOOP("QualityPopup", "Best"), codecMaxQuality},
        {QT_TRANSLATE_NOOP("QualityPopup", "Lossless"), codecLosslessQuality},
    };
    const QString extension = ChosenExportExtension();
    const platform::graphics::SaverEntry* saver =
        platform::graphics::FindSaverForExtension(extension.toUtf8().constData());
    const bool lossless = saver && platform::graphics::HasLosslessMode(*saver);
    CodecQ quality = CodecQ(stored.toLongLong());
    if (saver)
        quality = platform::graphics::HonouredQuality(*saver, quality);

    PopupChoices choices;
    choices.enabled = saver && platform::graphics::QualityApplies(*saver);
    long nearest = -1;
    for (const Level& level : kLevels) {
        const bool offered = level.quality != codecLosslessQuality || lossless;
        choices.items.push_back(
            {QCoreApplication::translate("QualityPopup", level.text), int(level.quality), offered});
        const long distance = std::labs(long(level.quality) - long(quality));
        if (offered && (nearest < 0 || distance < nearest)) {
            nearest = distance;
            choices.selected = int(choices.items.size());
        }
    }
    return choices;
}

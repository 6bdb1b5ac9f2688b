// SPDX-License-Identifier: GPL-3.0-or-later
// The quality levels on offer for the chosen output format.
#include "app/shell/QualityPopup.h"

#include "platform/graphics/SaverTable.h"

#include <QCoreApplication>

#include <cstdlib>
#include <vector>

PopupChoices QualityChoices(const QVariant& stored)
{
    struct Level {
        const char* text;
        CodecQ quality;
    };
    std::vector<Level> levels;
    for (size_t i = 0; i < std::size(platform::graphics::kQualityLevels); ++i)
        levels.push_back(
            {platform::graphics::kQualityLevelNames[i], platform::graphics::kQualityLevels[i]});
    levels.push_back({QT_TRANSLATE_NOOP("QualityPopup", "Lossless"), codecLosslessQuality});
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
    for (const Level& level : levels) {
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

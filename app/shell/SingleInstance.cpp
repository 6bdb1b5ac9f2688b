// The single-instance seam over platform/desktop.
#include "app/shell/SingleInstance.h"

#include <QFileInfo>
#include <QUrl>

#if __has_include("platform/desktop/SingleInstance.h")
#include "platform/desktop/SingleInstance.h"
#define TESSALY_HAS_SINGLE_INSTANCE 1
#endif

namespace shell
{

QStringList UrisOfItems(const QStringList& items)
{
    QStringList uris;
    for (const QString& item : items) {
        const QUrl url(item);
        uris << (url.isLocalFile() ? url : QUrl::fromLocalFile(QFileInfo(item).absoluteFilePath()))
                    .toString(QUrl::FullyEncoded);
    }
    return uris;
}

bool ForwardToRunningInstance(const QStringList& uris)
{
#ifdef TESSALY_HAS_SINGLE_INSTANCE
    return platform::ForwardToRunningInstance(kApplicationID, uris);
#else
    (void)uris;
    return false;
#endif
}

bool ServeAsPrimaryInstance(std::function<void(const QStringList&)> onOpen,
                            std::function<void()> onActivate)
{
#ifdef TESSALY_HAS_SINGLE_INSTANCE
    return platform::ServeAsPrimaryInstance(kApplicationID, std::move(onOpen),
                                            std::move(onActivate));
#else
    (void)onOpen;
    (void)onActivate;
    return false;
#endif
}

} // namespace shell

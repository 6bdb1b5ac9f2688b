// SPDX-License-Identifier: GPL-3.0-or-later
// Bundle resources and the application icon.
#include "platform/ui/Bundle.h"

#include "platform/ui/Windows.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>

struct OpaqueCFBundleRef {
};
struct OpaqueIconRef {
    QIcon icon;
};

namespace
{
QString gApplicationIconFile;
} // namespace

QString platform::ApplicationIconFile()
{
    return gApplicationIconFile;
}

CFBundleRef CFBundleGetMainBundle()
{
    static OpaqueCFBundleRef mainBundle;
    if (!QCoreApplication::instance() || !QFileInfo(platform::BundleResourcesPath()).isDir())
        return nullptr;
    return &mainBundle;
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, const CFStringRef& resourceName,
                                 const CFStringRef& resourceType, const CFStringRef& subDirName)
{
    if (!bundle || resourceName.isEmpty())
        return {};
    QString folder = platform::BundleResourcesPath();
    if (!subDirName.isEmpty())
        folder += u'/' + subDirName;
    QStringList candidates{resourceType.isEmpty() ? resourceName
                                                  : resourceName + u'.' + resourceType};
    if (resourceType == u"icns")
        candidates << resourceName.toLower() + QStringLiteral(".svg")
                   << resourceName + QStringLiteral(".svg");
    for (const QString& name : candidates) {
        const QFileInfo info(folder + u'/' + name);
        if (info.isFile())
            return info.absoluteFilePath();
    }
    return {};
}

Boolean CFURLGetFSRef(const CFURLRef& url, FSRef* fsRef)
{
    if (url.isEmpty() || !fsRef)
        return false;
    return platform::RefFromPath(QFile::encodeName(url), fsRef) == noErr;
}

OSErr RegisterIconRefFromFSRef(OSType, OSType, const FSRef* iconFile, IconRef* theIconRef)
{
    if (!iconFile || !theIconRef)
        return paramErr;
    *theIconRef = nullptr;
    QByteArray path;
    if (OSErr err = platform::PathOfRef(*iconFile, &path); err != noErr)
        return err;
    const QString file = QFile::decodeName(path);
    QIcon icon(file);
    if (icon.isNull())
        return paramErr;
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::setWindowIcon(icon);
    gApplicationIconFile = file;
    *theIconRef = new OpaqueIconRef{icon};
    return noErr;
}

OSErr ReleaseIconRef(IconRef theIconRef)
{
    if (!theIconRef)
        return paramErr;
    delete theIconRef;
    return noErr;
}

// Temporary files beside a target, for writers that replace the target only
// once their output is complete. They go through the folder index so that a
// batch writing into a large folder does not force it to be scanned again.
#include "platform/files/Files.h"

#include "platform/files/FolderIndex.h"
#include "platform/files/RefTable.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

using namespace platform::files;

namespace platform {

OSErr CreateTemporaryBeside(const FSRef& target, int* fd, QByteArray* tempPath)
{
    if (!fd || !tempPath)
        return paramErr;
    *fd = -1;
    QByteArray path;
    if (OSErr err = ResolveRef(target, &path, nullptr); err != noErr)
        return err;
    const QByteArray folder = ParentOf(path);
    // A short name of its own, so that targets with names of 255 bytes work too.
    QByteArray templ = Join(folder, QByteArrayLiteral(".tessaly-XXXXXX"));
    OwnFolderChange change(folder);
    const int descriptor = ::mkostemp(templ.data(), O_CLOEXEC);
    if (descriptor < 0)
        return StatusFromErrno(errno);
    ::fchmod(descriptor, 0666 & ~[] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return mask;
    }());
    change.added(LastComponent(templ));
    *fd = descriptor;
    *tempPath = templ;
    return noErr;
}

OSErr ReplaceWithTemporary(const QByteArray& tempPath, const FSRef& target)
{
    QByteArray path;
    if (OSErr err = ResolveRef(target, &path, nullptr); err != noErr)
        return err;
    OwnFolderChange change(ParentOf(path));
    if (::rename(tempPath.constData(), path.constData()) != 0)
        return StatusFromErrno(errno);
    change.removed(LastComponent(tempPath));
    return noErr;
}

void RemoveTemporary(const QByteArray& tempPath)
{
    if (tempPath.isEmpty())
        return;
    OwnFolderChange change(ParentOf(tempPath));
    if (::unlink(tempPath.constData()) == 0)
        change.removed(LastComponent(tempPath));
}

} // namespace platform

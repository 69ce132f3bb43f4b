#include "UserInstanceLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

juce::File UserInstanceLock::chooseFolder (const juce::String& runtimeFolder, const juce::File& configFolder)
{
    if (juce::File::isAbsolutePath (runtimeFolder))
    {
        const juce::File runtime (runtimeFolder);

        if (runtime.isDirectory() && ::access (runtime.getFullPathName().toRawUTF8(), W_OK | X_OK) == 0)
            return runtime;
    }

    configFolder.createDirectory();
    return configFolder;
}

UserInstanceLock::UserInstanceLock (const juce::File& folder, const juce::String& name)
    : lockFile (folder.getChildFile (name + ".lock")),
      wakeFifo (folder.getChildFile (name + ".wake"))
{
    lockFd = ::open (lockFile.getFullPathName().toRawUTF8(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);

    if (lockFd < 0)
        return;

    if (::flock (lockFd, LOCK_EX | LOCK_NB) == 0)
    {
        outcome = Outcome::held;
        listenForLaterCopies();
        return;
    }

    // Anything but "taken" (e.g. a file system without locks) leaves the program free to run.
    if (errno == EWOULDBLOCK)
        outcome = Outcome::heldByAnotherCopy;

    ::close (lockFd);
    lockFd = -1;
}

UserInstanceLock::~UserInstanceLock()
{
    if (wakeReadFd >= 0)
    {
        juce::LinuxEventLoop::unregisterFdCallback (wakeReadFd);
        ::close (wakeReadFd);
        ::close (wakeWriteFd);
        wakeFifo.deleteFile();
    }

    // The lock file stays: deleting it while a new copy opens it could leave two copies each
    // holding a lock on a different file.
    if (lockFd >= 0)
        ::close (lockFd);
}

void UserInstanceLock::listenForLaterCopies()
{
    // Only the holder gets here, so a FIFO left by a copy that crashed can be replaced safely.
    const auto path = wakeFifo.getFullPathName();
    ::unlink (path.toRawUTF8());

    if (::mkfifo (path.toRawUTF8(), 0600) != 0)
        return;

    wakeReadFd = ::open (path.toRawUTF8(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    wakeWriteFd = wakeReadFd >= 0 ? ::open (path.toRawUTF8(), O_WRONLY | O_NONBLOCK | O_CLOEXEC) : -1;

    if (wakeWriteFd < 0)
    {
        if (wakeReadFd >= 0)
            ::close (wakeReadFd);

        wakeReadFd = -1;
        wakeFifo.deleteFile();
        return;
    }

    juce::LinuxEventLoop::registerFdCallback (wakeReadFd, [this] (int fd) { wakeUp (fd); });
}

void UserInstanceLock::wakeUp (int fd)
{
    // Several copies started at once count as one.
    char buffer[64];
    while (::read (fd, buffer, sizeof (buffer)) > 0)
    {
    }

    if (onAnotherCopyStarted != nullptr)
        onAnotherCopyStarted();
}

bool UserInstanceLock::notifyRunningCopy() const
{
    // Non-blocking: with no reader the open fails at once instead of waiting for one.
    const auto fd = ::open (wakeFifo.getFullPathName().toRawUTF8(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);

    if (fd < 0)
        return false;

    struct stat info {};
    const char wake = 1;
    const auto sent = ::fstat (fd, &info) == 0 && S_ISFIFO (info.st_mode) && ::write (fd, &wake, 1) == 1;
    ::close (fd);
    return sent;
}

#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

AtomicFile::AtomicFile (std::string target)
    : path (std::move (target))
{
}

AtomicFile::~AtomicFile()
{
    discard();
}

void AtomicFile::discard()
{
    if (! temporaryPath.empty())
        ::unlink (temporaryPath.c_str());

    temporaryPath.clear();
}

bool AtomicFile::write (std::string_view bytes)
{
    discard();

    std::vector<char> name (path.begin(), path.end());
    const std::string suffix = ".partial-XXXXXX";
    name.insert (name.end(), suffix.begin(), suffix.end());
    name.push_back ('\0');

    const int fd = ::mkstemp (name.data());

    if (fd < 0)
    {
        error = errno;
        return false;
    }

    temporaryPath = name.data();

    // mkstemp makes the file for its owner alone; a saved curve is as readable as any new file.
    const auto mask = ::umask (0);
    ::umask (mask);
    ::fchmod (fd, 0666 & ~mask);

    for (size_t done = 0; done < bytes.size();)
    {
        const auto written = ::write (fd, bytes.data() + done, bytes.size() - done);

        if (written < 0 && errno == EINTR)
            continue;

        if (written <= 0)
        {
            error = written < 0 ? errno : EIO;
            ::close (fd);
            discard();
            return false;
        }

        done += static_cast<size_t> (written);
    }

    // The data reaches the disk before the name does: a crash leaves the old file or the new one.
    const bool synced = ::fsync (fd) == 0;
    const int syncError = errno;

    if (::close (fd) != 0 || ! synced)
    {
        error = synced ? errno : syncError;
        discard();
        return false;
    }

    return true;
}

bool AtomicFile::commit()
{
    if (temporaryPath.empty())
        return false;

    if (::rename (temporaryPath.c_str(), path.c_str()) != 0)
    {
        error = errno;
        discard();
        return false;
    }

    temporaryPath.clear();
    return true;
}

bool AtomicFile::replace (const std::string& path, std::string_view bytes)
{
    AtomicFile file (path);
    return file.write (bytes) && file.commit();
}

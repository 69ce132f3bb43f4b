#include "SmallFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

SmallFile::Reading SmallFile::read (const std::string& path, std::uintmax_t limit)
{
    Reading reading;
    struct stat info {};

    // Looked at before it is opened: opening some devices has effects of its own.
    if (::stat (path.c_str(), &info) != 0)
    {
        reading.error = errno;
        reading.outcome = errno == ENOENT ? Outcome::missing : Outcome::unreadable;
        return reading;
    }

    if (! S_ISREG (info.st_mode))
    {
        reading.outcome = Outcome::notAFile;
        return reading;
    }

    if (static_cast<std::uintmax_t> (info.st_size) > limit)
    {
        reading.outcome = Outcome::tooLarge;
        return reading;
    }

    // Non-blocking, in case something else has taken the name since.
    const int fd = ::open (path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);

    if (fd < 0)
    {
        reading.error = errno;
        reading.outcome = errno == ENOENT ? Outcome::missing : Outcome::unreadable;
        return reading;
    }

    if (::fstat (fd, &info) != 0 || ! S_ISREG (info.st_mode))
    {
        ::close (fd);
        reading.outcome = Outcome::notAFile;
        return reading;
    }

    reading.text.resize (static_cast<size_t> (limit) + 1);
    size_t done = 0;

    while (done < reading.text.size())
    {
        const auto got = ::read (fd, reading.text.data() + done, reading.text.size() - done);

        if (got < 0 && errno == EINTR)
            continue;

        if (got < 0)
        {
            reading.error = errno;
            ::close (fd);
            reading.text.clear();
            reading.outcome = Outcome::unreadable;
            return reading;
        }

        if (got == 0)
            break;

        done += static_cast<size_t> (got);
    }

    ::close (fd);
    reading.text.resize (done);
    reading.outcome = done > limit ? Outcome::tooLarge : Outcome::read;

    if (reading.outcome == Outcome::tooLarge)
        reading.text.clear();

    return reading;
}

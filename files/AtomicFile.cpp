#include "AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
    constexpr size_t randomLength = 6;
    constexpr const char* letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

    std::string folderOf (const std::string& path)
    {
        const auto slash = path.rfind ('/');
        return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr (0, slash);
    }

    std::string nameOf (const std::string& path)
    {
        const auto slash = path.rfind ('/');
        return slash == std::string::npos ? path : path.substr (slash + 1);
    }

    // Follows symbolic links to the file they point to (which need not exist yet); empty with
    // errno set for a loop or a link that cannot be read.
    std::string followLinks (std::string path)
    {
        for (int hops = 0; hops < 40; ++hops)
        {
            struct stat info {};

            if (::lstat (path.c_str(), &info) != 0 || ! S_ISLNK (info.st_mode))
                return path;

            std::vector<char> link (static_cast<size_t> (info.st_size > 0 ? info.st_size : 255) + 1);
            const auto length = ::readlink (path.c_str(), link.data(), link.size());

            if (length < 0 || static_cast<size_t> (length) >= link.size())
            {
                errno = length < 0 ? errno : ENAMETOOLONG;
                return {};
            }

            const std::string pointsTo (link.data(), static_cast<size_t> (length));
            path = pointsTo.front() == '/' ? pointsTo : folderOf (path) + "/" + pointsTo;
        }

        errno = ELOOP;
        return {};
    }

    bool isPartialOf (const std::string& entry, const std::string& name)
    {
        const auto prefix = name + AtomicFile::partialSuffix;
        return entry.size() == prefix.size() + randomLength && entry.compare (0, prefix.size(), prefix) == 0
               && entry.find_first_not_of (letters, prefix.size()) == std::string::npos;
    }

    // Temporary files of this target that no writer holds any more: a program died writing them.
    void removeAbandoned (const std::string& target)
    {
        const auto folder = folderOf (target);
        const auto name = nameOf (target);
        DIR* directory = ::opendir (folder.c_str());

        if (directory == nullptr)
            return;

        std::vector<std::string> abandoned;

        while (const auto* entry = ::readdir (directory))
            if (isPartialOf (entry->d_name, name))
                abandoned.push_back (folder + "/" + entry->d_name);

        ::closedir (directory);

        for (const auto& partial : abandoned)
        {
            const int fd = ::open (partial.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
            struct stat info {};

            if (fd < 0)
                continue;

            if (::fstat (fd, &info) == 0 && S_ISREG (info.st_mode) && ::flock (fd, LOCK_EX | LOCK_NB) == 0)
                ::unlink (partial.c_str());

            ::close (fd);
        }
    }

    // A new file, exclusively ours, with the permissions of any new file (the umask applies),
    // locked so that another writer's clean-up leaves it alone.
    int createTemporary (const std::string& target, std::string& temporaryPath)
    {
        static thread_local std::mt19937 random { std::random_device{}() };
        std::uniform_int_distribution<size_t> pick (0, std::strlen (letters) - 1);

        for (int attempt = 0; attempt < 100; ++attempt)
        {
            std::string candidate = target + AtomicFile::partialSuffix;

            for (size_t i = 0; i < randomLength; ++i)
                candidate += letters[pick (random)];

            const int fd = ::open (candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);

            if (fd < 0 && errno == EEXIST)
                continue;

            if (fd < 0)
                return -1;

            struct stat info {};

            // Another writer's clean-up may have taken the name between open and lock: again.
            if (::flock (fd, LOCK_EX) != 0 || ::fstat (fd, &info) != 0 || info.st_nlink == 0)
            {
                ::close (fd);
                continue;
            }

            temporaryPath = candidate;
            return fd;
        }

        errno = EEXIST;
        return -1;
    }
}

AtomicFile::AtomicFile (std::string targetPath)
    : path (std::move (targetPath))
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

    if (fd >= 0)
        ::close (fd);

    temporaryPath.clear();
    fd = -1;
}

bool AtomicFile::fail (int errorNumber)
{
    error = errorNumber;
    discard();
    return false;
}

bool AtomicFile::write (std::string_view bytes)
{
    discard();
    target = followLinks (path);

    if (target.empty())
        return fail (errno);

    removeAbandoned (target);
    fd = createTemporary (target, temporaryPath);

    if (fd < 0)
        return fail (errno);

    for (size_t done = 0; done < bytes.size();)
    {
        const auto written = ::write (fd, bytes.data() + done, bytes.size() - done);

        if (written < 0 && errno == EINTR)
            continue;

        if (written <= 0)
            return fail (written < 0 ? errno : EIO);

        done += static_cast<size_t> (written);
    }

    // The data reaches the disk before the name does: a crash leaves the old file or the new one.
    if (::fsync (fd) != 0)
        return fail (errno);

    return true;
}

bool AtomicFile::commit()
{
    if (temporaryPath.empty())
        return false;

    if (::rename (temporaryPath.c_str(), target.c_str()) != 0)
        return fail (errno);

    temporaryPath.clear();
    discard();

    // The new name reaches the disk too. A folder that cannot be opened for reading is not ours
    // to sync; a file system that cannot sync folders says EINVAL.
    const int folder = ::open (folderOf (target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);

    if (folder >= 0)
    {
        const bool synced = ::fsync (folder) == 0 || errno == EINVAL;
        const int syncError = errno;
        ::close (folder);

        if (! synced)
        {
            error = syncError;
            return false;
        }
    }

    return true;
}

bool AtomicFile::replace (const std::string& path, std::string_view bytes)
{
    AtomicFile file (path);
    return file.write (bytes) && file.commit();
}

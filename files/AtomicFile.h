#pragma once

#include <string>
#include <string_view>

// A file that is either written whole or not at all: the bytes go to a temporary file in the
// same folder, which commit() renames into place and syncs, folder included. Until then the old
// file, if any, is untouched; a file never committed leaves nothing behind, and one left by a
// program that died while writing is removed by the next write of the same file. A name that
// is a symbolic link stays one: the file it points to is replaced.
class AtomicFile final
{
public:
    explicit AtomicFile (std::string path);
    ~AtomicFile();

    AtomicFile (const AtomicFile&) = delete;
    AtomicFile& operator= (const AtomicFile&) = delete;

    // Writes and flushes the temporary file; false (with errno kept in getError) if the folder
    // cannot be written or the disk is full.
    bool write (std::string_view bytes);
    bool commit();

    int getError() const { return error; }

    // write and commit in one.
    static bool replace (const std::string& path, std::string_view bytes);

    // What temporary files are called: the target's name, this, and six letters or digits.
    static constexpr const char* partialSuffix = ".partial-";

private:
    bool fail (int errorNumber);
    void discard();

    std::string path;
    std::string target;          // path with its symbolic links followed
    std::string temporaryPath;
    int fd = -1;                 // the temporary file, locked while it may still be renamed
    int error = 0;
};

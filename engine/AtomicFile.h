#pragma once

#include <string>
#include <string_view>

// A file that is either written whole or not at all: the bytes go to a temporary file in the
// same folder, which commit() renames into place. Until then the old file, if any, is
// untouched; a file never committed leaves nothing behind.
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

private:
    void discard();

    std::string path;
    std::string temporaryPath;
    int error = 0;
};

#include "AtomicFile.h"
#include "CalibrationChoice.h"
#include "CalibrationFile.h"
#include "CurveText.h"
#include "DeviceChoice.h"
#include "KeptCurve.h"
#include "KeptState.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
    namespace fs = std::filesystem;

    class Folder final
    {
    public:
        Folder()
        {
            char pattern[] = "/tmp/sonavel-paths-test.XXXXXX";
            path = ::mkdtemp (pattern);
        }

        ~Folder() { fs::remove_all (path); }

        std::string file (const std::string& name) const { return (path / name).string(); }

        std::vector<std::string> names() const
        {
            std::vector<std::string> found;
            for (const auto& entry : fs::directory_iterator (path))
                found.push_back (entry.path().filename().string());
            std::sort (found.begin(), found.end());
            return found;
        }

        fs::path path;
    };

    std::string contents (const std::string& path)
    {
        std::ifstream file (path, std::ios::binary);
        return std::string (std::istreambuf_iterator<char> (file), {});
    }
}

TEST (Paths, WhatIsNotAFileIsRefusedAtOnceWhateverReadsIt)
{
    Folder folder;
    const auto fifo = folder.file ("fifo");
    ASSERT_EQ (::mkfifo (fifo.c_str(), 0600), 0);

    // Each would block forever on the FIFO, or read /dev/zero until memory runs out.
    for (const auto& path : { fifo, std::string ("/dev/zero") })
    {
        SCOPED_TRACE (path);
        EXPECT_TRUE (DeviceChoice::load (path).input.isSystemDefault());
        EXPECT_EQ (CurveText::readFile (path).refusal, CurveText::Refusal::unreadable);
        EXPECT_EQ (CalibrationFile::readFile (path).refusal, CalibrationFile::Refusal::unreadable);
        EXPECT_TRUE (CalibrationChoice::load (path).files.empty());
        std::string problem;
        EXPECT_FALSE (KeptState::load (path, problem));
        EXPECT_EQ (problem, "it is not a file of a sensible size");
    }

    const auto large = folder.file ("devices.txt");
    fs::resize_file ((std::ofstream (large), large), DeviceChoice::largestFile + 1);
    EXPECT_TRUE (DeviceChoice::load (large).input.isSystemDefault());

    std::ofstream (folder.file ("empty.txt"));
    std::string problem;
    EXPECT_FALSE (KeptState::load (folder.file ("empty.txt"), problem));
    EXPECT_EQ (problem, "it is empty");
}

TEST (Paths, AWriteFollowsASymbolicLinkTakesTheUmaskAndCleansUpAfterAWriterThatDied)
{
    Folder folder;
    fs::create_directory (folder.path / "real");
    const auto real = folder.file ("real/state.txt");
    const auto link = folder.file ("state.txt");
    fs::create_symlink ("real/state.txt", link);

    // A dangling link: the file it points to is made.
    ASSERT_TRUE (AtomicFile::replace (link, "first"));
    EXPECT_TRUE (fs::is_symlink (link));
    EXPECT_EQ (contents (real), "first");

    ASSERT_TRUE (AtomicFile::replace (link, "second"));
    EXPECT_TRUE (fs::is_symlink (link)) << "the link stays a link";
    EXPECT_EQ (contents (real), "second");

    fs::create_symlink ("loop", folder.file ("loop"));
    AtomicFile loop (folder.file ("loop"));
    EXPECT_FALSE (loop.write ("x"));
    EXPECT_EQ (loop.getError(), ELOOP);

    // The umask applies as to any new file, and the process's umask is left alone.
    const auto before = ::umask (027);
    ASSERT_TRUE (AtomicFile::replace (folder.file ("masked.txt"), "x"));
    EXPECT_EQ (::umask (before), 027);
    struct stat info {};
    ASSERT_EQ (::stat (folder.file ("masked.txt").c_str(), &info), 0);
    EXPECT_EQ (info.st_mode & 0777, 0640u);

    // A program that dies while writing leaves its temporary file; the next write removes it,
    // and leaves alone one that a live writer holds.
    const auto target = folder.file ("curve.txt");
    const auto child = ::fork();

    if (child == 0)
    {
        AtomicFile dying (target);
        dying.write ("half");
        ::_exit (0);
    }

    int status = 0;
    ASSERT_EQ (::waitpid (child, &status, 0), child);
    EXPECT_EQ (folder.names().size(), 5u) << "curve.txt.partial-… is left behind";

    AtomicFile alive (target);
    ASSERT_TRUE (alive.write ("still writing"));
    ASSERT_TRUE (AtomicFile::replace (target, "whole"));
    EXPECT_EQ (folder.names().size(), 6u) << "only the live writer's temporary file is there beside the five";
    ASSERT_TRUE (alive.commit());
    EXPECT_EQ (contents (target), "still writing");
    EXPECT_EQ (folder.names(), (std::vector<std::string> { "curve.txt", "loop", "masked.txt", "real", "state.txt" }));
}

TEST (Paths, ATimeWrittenInTheHourThatRepeatsReadsBackAsThatHour)
{
    const auto* zone = std::getenv ("TZ");
    const std::string previous = zone != nullptr ? zone : "";
    ::setenv ("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    ::tzset();

    // 2026-10-25 00:30 UTC is 02:30 summer time; an hour later it is 02:30 winter time.
    const std::time_t summer = 1792888200, winter = summer + 3600;
    EXPECT_EQ (KeptCurve::formatTime (summer), "2026-10-25 02:30:00 +0200");
    EXPECT_EQ (KeptCurve::formatTime (winter), "2026-10-25 02:30:00 +0100");
    EXPECT_EQ (KeptCurve::parseTime (KeptCurve::formatTime (summer)), summer);
    EXPECT_EQ (KeptCurve::parseTime (KeptCurve::formatTime (winter)), winter);
    EXPECT_NE (KeptCurve::parseTime ("2026-10-25 02:30:00"), 0) << "a file without the offset is still read, as local time";

    if (zone != nullptr)
        ::setenv ("TZ", previous.c_str(), 1);
    else
        ::unsetenv ("TZ");
    ::tzset();
}

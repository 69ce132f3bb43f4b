#include "MessagePump.h"
#include "UserInstanceLock.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    using Outcome = UserInstanceLock::Outcome;

    struct TemporaryFolder
    {
        TemporaryFolder() { folder.createDirectory(); }
        ~TemporaryFolder() { folder.deleteRecursively(); }

        juce::File folder = juce::File::createTempFile ("lock-test");
    };
}

TEST (UserInstanceLock, OneCopyPerFolderUntilTheHolderLetsGo)
{
    TemporaryFolder place;

    auto first = std::make_unique<UserInstanceLock> (place.folder, "App");
    EXPECT_EQ (first->getOutcome(), Outcome::held);

    UserInstanceLock second (place.folder, "App");
    EXPECT_EQ (second.getOutcome(), Outcome::heldByAnotherCopy);

    first.reset();
    EXPECT_TRUE (place.folder.getChildFile ("App.lock").existsAsFile()) << "the lock file is kept for the next copy";
    UserInstanceLock third (place.folder, "App");
    EXPECT_EQ (third.getOutcome(), Outcome::held);
}

TEST (UserInstanceLock, CopiesOfOtherUsersOrSessionsDoNotMeet)
{
    TemporaryFolder one, other;

    UserInstanceLock first (one.folder, "App");
    UserInstanceLock second (other.folder, "App");
    EXPECT_EQ (first.getOutcome(), Outcome::held);
    EXPECT_EQ (second.getOutcome(), Outcome::held);
}

TEST (UserInstanceLock, AFolderWhereNoLockCanBeTakenLetsEveryCopyRun)
{
    // A "folder" that is a file, and a folder whose lock file cannot be opened (a folder sits in
    // its place): the program runs rather than refuse to start, and so does a second copy.
    TemporaryFolder place;
    const auto notAFolder = place.folder.getChildFile ("file");
    ASSERT_TRUE (notAFolder.replaceWithText ("x"));
    ASSERT_TRUE (place.folder.getChildFile ("App.lock").createDirectory());

    for (const auto& folder : { notAFolder, place.folder })
    {
        UserInstanceLock lock (folder, "App");
        UserInstanceLock second (folder, "App");
        EXPECT_EQ (lock.getOutcome(), Outcome::unavailable) << folder.getFullPathName();
        EXPECT_EQ (second.getOutcome(), Outcome::unavailable) << folder.getFullPathName();
        EXPECT_FALSE (second.notifyRunningCopy());
        EXPECT_FALSE (folder.getChildFile ("App.wake").exists()) << "nobody listens, so no FIFO is made";
    }
}

TEST (UserInstanceLock, AWakePathThatIsNotAFifoIsNeitherWrittenToNorTakenForAWakeUp)
{
    TemporaryFolder place;
    const auto wake = place.folder.getChildFile ("App.wake");

    // A folder in the FIFO's place: the holder runs without listening, a later copy wakes nobody.
    ASSERT_TRUE (wake.createDirectory());
    {
        UserInstanceLock holder (place.folder, "App");
        ASSERT_EQ (holder.getOutcome(), Outcome::held);
        int wakeUps = 0;
        holder.onAnotherCopyStarted = [&] { ++wakeUps; };

        UserInstanceLock later (place.folder, "App");
        EXPECT_EQ (later.getOutcome(), Outcome::heldByAnotherCopy);
        EXPECT_FALSE (later.notifyRunningCopy());
        pumpMessages (50);
        EXPECT_EQ (wakeUps, 0);
    }
    EXPECT_TRUE (wake.isDirectory()) << "the holder leaves what it did not make";
    ASSERT_TRUE (wake.deleteRecursively());

    // A plain file there while another process holds the lock: the later copy reports nobody
    // woken and leaves the file as it was.
    const auto lockFd = ::open (place.folder.getChildFile ("App.lock").getFullPathName().toRawUTF8(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ (::flock (lockFd, LOCK_EX | LOCK_NB), 0);
    ASSERT_TRUE (wake.replaceWithText ("notes"));

    UserInstanceLock later (place.folder, "App");
    EXPECT_EQ (later.getOutcome(), Outcome::heldByAnotherCopy);
    EXPECT_FALSE (later.notifyRunningCopy());
    EXPECT_EQ (wake.loadFileAsString(), "notes");
    ::close (lockFd);
}

TEST (UserInstanceLock, ALaterCopyWakesTheHolderOnItsMessageThread)
{
    TemporaryFolder place;
    UserInstanceLock holder (place.folder, "App");
    ASSERT_EQ (holder.getOutcome(), Outcome::held);

    int wakeUps = 0;
    holder.onAnotherCopyStarted = [&] { ++wakeUps; };

    {
        UserInstanceLock later (place.folder, "App");
        ASSERT_EQ (later.getOutcome(), Outcome::heldByAnotherCopy);
        EXPECT_TRUE (later.notifyRunningCopy());
    }

    EXPECT_TRUE (pumpMessagesUntil ([&] { return wakeUps > 0; }, 2000));
    pumpMessages (50);
    EXPECT_EQ (wakeUps, 1);

    UserInstanceLock another (place.folder, "App");
    EXPECT_TRUE (another.notifyRunningCopy());
    EXPECT_TRUE (pumpMessagesUntil ([&] { return wakeUps == 2; }, 2000)) << "the holder keeps listening";
}

TEST (UserInstanceLock, AHolderThatEndsTakesItsFifoAlongAndAStaleOneWakesNobody)
{
    TemporaryFolder place;
    const auto fifo = place.folder.getChildFile ("App.wake");

    {
        UserInstanceLock holder (place.folder, "App");
        ASSERT_EQ (holder.getOutcome(), Outcome::held);
        EXPECT_TRUE (fifo.exists());
    }
    EXPECT_FALSE (fifo.exists());

    // A holder that listens on nothing (its FIFO is left from a crash): the later copy is told
    // at once that nobody heard it, instead of waiting for a reader.
    const auto lockFd = ::open (place.folder.getChildFile ("App.lock").getFullPathName().toRawUTF8(), O_RDWR);
    ASSERT_EQ (::flock (lockFd, LOCK_EX | LOCK_NB), 0);
    ASSERT_EQ (::mkfifo (fifo.getFullPathName().toRawUTF8(), 0600), 0);

    UserInstanceLock later (place.folder, "App");
    EXPECT_EQ (later.getOutcome(), Outcome::heldByAnotherCopy);
    EXPECT_FALSE (later.notifyRunningCopy());
    ::close (lockFd);

    // Once the lock is free the next copy replaces the stale FIFO with one it listens on.
    UserInstanceLock next (place.folder, "App");
    ASSERT_EQ (next.getOutcome(), Outcome::held);
    int wakeUps = 0;
    next.onAnotherCopyStarted = [&] { ++wakeUps; };
    UserInstanceLock waker (place.folder, "App");
    EXPECT_TRUE (waker.notifyRunningCopy());
    EXPECT_TRUE (pumpMessagesUntil ([&] { return wakeUps == 1; }, 2000));
}

TEST (UserInstanceLock, RuntimeFolderOnlyWhenItIsAWritableFolder)
{
    TemporaryFolder runtime, config;
    const auto configFolder = config.folder.getChildFile ("KORVEN Sonavel");

    EXPECT_EQ (UserInstanceLock::chooseFolder (runtime.folder.getFullPathName(), configFolder), runtime.folder);

    EXPECT_EQ (UserInstanceLock::chooseFolder ({}, configFolder), configFolder);
    EXPECT_TRUE (configFolder.isDirectory()) << "the config folder is made when missing";

    EXPECT_EQ (UserInstanceLock::chooseFolder ("relative/run", configFolder), configFolder);
    EXPECT_EQ (UserInstanceLock::chooseFolder (runtime.folder.getChildFile ("missing").getFullPathName(), configFolder), configFolder);

    ASSERT_EQ (::chmod (runtime.folder.getFullPathName().toRawUTF8(), 0500), 0);
    if (::access (runtime.folder.getFullPathName().toRawUTF8(), W_OK) != 0)   // root may write anyway
    {
        EXPECT_EQ (UserInstanceLock::chooseFolder (runtime.folder.getFullPathName(), configFolder), configFolder);
    }
    ::chmod (runtime.folder.getFullPathName().toRawUTF8(), 0700);
}

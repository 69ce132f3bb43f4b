#pragma once

#include <juce_events/juce_events.h>

#include <functional>

// One running copy per user and login session. JUCE's own single-instance lock is one file in
// /var/tmp for the whole machine: one person's open window would keep every other account from
// starting the program, and a copy run as another user might not be able to take it at all.
// This lock is an flock() on a file in the user's runtime folder or, without one, in the
// program's config folder; the system drops it with the process, so a crash leaves nothing
// stale behind. The copy holding it listens on a FIFO beside it, so that a later copy can ask it
// to come forward before leaving.
class UserInstanceLock final
{
public:
    enum class Outcome
    {
        held,                // this copy runs
        heldByAnotherCopy,   // this copy should leave
        unavailable          // no lock could be made here: run rather than refuse to start
    };

    // The runtime folder ($XDG_RUNTIME_DIR) when it names a folder this user can write to,
    // otherwise the config folder (created when missing).
    static juce::File chooseFolder (const juce::String& runtimeFolder, const juce::File& configFolder);

    // Tries once, without waiting, to lock "<name>.lock" in the folder.
    UserInstanceLock (const juce::File& folder, const juce::String& name);
    ~UserInstanceLock();

    Outcome getOutcome() const { return outcome; }
    juce::File getLockFile() const { return lockFile; }

    // For a copy that found the lock taken: wakes the copy holding it. False when no copy
    // listens (it is ending, or its folder takes no FIFO).
    bool notifyRunningCopy() const;

    // Called on the holder's message thread each time a later copy has called notifyRunningCopy.
    std::function<void()> onAnotherCopyStarted;

private:
    void listenForLaterCopies();
    void wakeUp (int fd);

    juce::File lockFile;
    juce::File wakeFifo;
    Outcome outcome = Outcome::unavailable;
    int lockFd = -1;
    int wakeReadFd = -1;
    int wakeWriteFd = -1;   // our own writer: without one, a FIFO whose last writer left stays readable (at end of file)

    JUCE_DECLARE_NON_COPYABLE (UserInstanceLock)
};

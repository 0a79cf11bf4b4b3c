#pragma once

// Named temporary files that a signal ending the process removes first.
//
// A save writes into an unnamed file where the file system allows it, and
// gives it a temporary name only for the moment before the rename over the
// old file; elsewhere it writes under a temporary name from the start. Ctrl+C
// (SIGINT), SIGTERM or a closed terminal (SIGHUP) in that window would leave
// the temporary file behind: while a name is registered here, those signals
// first remove it and then end the process as they would have (or run the
// handler the program had set for them). A signal the process ignores stays
// ignored. SIGKILL cannot be caught: there, only the shortness of the
// window helps.

#include <csignal>

namespace masume {

// Blocks SIGINT, SIGTERM and SIGHUP in this thread while it lives, so that
// creating or renaming a file and registering it happen as one step; a
// signal that arrives meanwhile is delivered at the end.
class BlockedEndSignals
{
public:
    BlockedEndSignals();
    ~BlockedEndSignals();
    BlockedEndSignals(const BlockedEndSignals &) = delete;
    BlockedEndSignals &operator=(const BlockedEndSignals &) = delete;

private:
    sigset_t m_previous;
};

// Registers the file `name` (at most 255 bytes, no "/") in the folder open
// as folderFd for removal by an ending signal, and installs the handlers the
// first time. Returns the registration, or -1 when none was free (at most 16
// saves at a time keep a named temporary file; the file is then removed on
// every other path all the same).
int removeOnEndSignal(int folderFd, const char *name);

// Ends a registration of removeOnEndSignal (nothing for -1).
void forgetOnEndSignal(int registration);

} // namespace masume

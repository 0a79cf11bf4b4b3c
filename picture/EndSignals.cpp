#include "picture/EndSignals.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace masume {

namespace {

constexpr int EndSignals[] = {SIGINT, SIGTERM, SIGHUP};

// A registration: the handler reads it while another thread may end it, so
// a slot is only reused after it was released, and its name is written
// before it becomes active.
struct Slot
{
    enum : int { Free, Filling, Active };
    std::atomic<int> state {Free};
    int folder = -1;
    char name[256] = {};
};

Slot slots[16];

// The dispositions found before ours, by signal number.
struct sigaction previous[NSIG];

void removeRegistered()
{
    for (Slot &slot : slots)
        if (slot.state.load(std::memory_order_acquire) == Slot::Active)
            ::unlinkat(slot.folder, slot.name, 0);
}

// Async-signal-safe: unlinkat, sigaction and raise only.
void onEndSignal(int signal, siginfo_t *info, void *context)
{
    const int savedErrno = errno;
    removeRegistered();
    const struct sigaction &before = previous[signal];
    if (before.sa_flags & SA_SIGINFO) {
        before.sa_sigaction(signal, info, context);
    } else if (before.sa_handler != SIG_DFL && before.sa_handler != SIG_IGN) {
        before.sa_handler(signal);
    } else {
        // The default action, ending the process: delivered as soon as this
        // handler returns, since the signal is blocked until then.
        struct sigaction fallback
        {
        };
        fallback.sa_handler = SIG_DFL;
        ::sigaction(signal, &fallback, nullptr);
        ::raise(signal);
    }
    errno = savedErrno;
}

void installHandlers()
{
    for (const int signal : EndSignals) {
        struct sigaction found
        {
        };
        if (::sigaction(signal, nullptr, &found) != 0 || found.sa_handler == SIG_IGN)
            continue;
        previous[signal] = found;
        struct sigaction ours
        {
        };
        ours.sa_sigaction = onEndSignal;
        ours.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&ours.sa_mask);
        ::sigaction(signal, &ours, nullptr);
    }
}

} // namespace

BlockedEndSignals::BlockedEndSignals()
{
    sigset_t block;
    sigemptyset(&block);
    for (const int signal : EndSignals)
        sigaddset(&block, signal);
    pthread_sigmask(SIG_BLOCK, &block, &m_previous);
}

BlockedEndSignals::~BlockedEndSignals()
{
    pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
}

int removeOnEndSignal(int folderFd, const char *name)
{
    static std::once_flag installed;
    std::call_once(installed, installHandlers);
    const size_t length = std::strlen(name);
    if (length >= sizeof(Slot::name))
        return -1;
    for (int i = 0; i < int(std::size(slots)); ++i) {
        int expected = Slot::Free;
        if (!slots[i].state.compare_exchange_strong(expected, Slot::Filling))
            continue;
        slots[i].folder = folderFd;
        std::memcpy(slots[i].name, name, length + 1);
        slots[i].state.store(Slot::Active, std::memory_order_release);
        return i;
    }
    return -1;
}

void forgetOnEndSignal(int registration)
{
    if (registration >= 0)
        slots[registration].state.store(Slot::Free, std::memory_order_release);
}

} // namespace masume

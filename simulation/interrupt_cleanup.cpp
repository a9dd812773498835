#include "simulation/interrupt_cleanup.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM};

/// The registered paths. The handler reads them with nothing but atomic
/// loads and unlink, both safe in a signal handler.
std::atomic<char*> gPaths[8];
static_assert(std::atomic<char*>::is_always_lock_free);

extern "C" void RemoveAndReraise(int signal) {
    for (std::atomic<char*>& slot : gPaths)
        if (const char* path = slot.load()) unlink(path);
    // SA_RESETHAND has put back the default action; the signal is blocked
    // until this handler returns, and then ends the program.
    raise(signal);
}

sigset_t Signals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int s : kSignals) sigaddset(&set, s);
    return set;
}

}  // namespace

void InstallInterruptCleanup() {
    for (const int s : kSignals) {
        struct sigaction previous {};
        if (sigaction(s, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = RemoveAndReraise;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        sigaction(s, &action, nullptr);
    }
}

int RemoveOnInterrupt(const std::string& path) {
    char* copy = new char[path.size() + 1];
    std::memcpy(copy, path.c_str(), path.size() + 1);
    for (int k = 0; k < int(std::size(gPaths)); ++k) {
        char* empty = nullptr;
        if (gPaths[k].compare_exchange_strong(empty, copy)) return k;
    }
    delete[] copy;
    return -1;
}

void ForgetOnInterrupt(int slot) {
    if (slot < 0 || slot >= int(std::size(gPaths))) return;
    delete[] gPaths[slot].exchange(nullptr);
}

SignalsHeld::SignalsHeld() {
    const sigset_t held = Signals();
    sigprocmask(SIG_BLOCK, &held, &previous_);
}

SignalsHeld::~SignalsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }

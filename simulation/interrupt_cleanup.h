#pragma once
#include <csignal>
#include <string>

/// Makes SIGINT and SIGTERM remove the files registered with
/// RemoveOnInterrupt before they end the program as they would have. A
/// signal the program was started ignoring stays ignored.
void InstallInterruptCleanup();

/// Registers `path` for removal on SIGINT or SIGTERM until ForgetOnInterrupt
/// is called with the returned slot; -1 when every slot is taken.
int RemoveOnInterrupt(const std::string& path);

/// Takes the file in `slot` (as RemoveOnInterrupt returned) off the list;
/// nothing for -1.
void ForgetOnInterrupt(int slot);

/// Holds SIGINT and SIGTERM back while alive, for steps that must not be
/// cut in half: a signal that arrives meanwhile is handled afterwards.
class SignalsHeld {
public:
    SignalsHeld();
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t previous_;
};

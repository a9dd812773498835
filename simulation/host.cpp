#include "host.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "load_progress.h"

void SetBusyCursor(Host& host, int busy) { host.setBusyCursor(busy == 1); }

void Host::waitFor(const std::function<void()>& work, LoadProgress&) { work(); }

Host::Answer ConsoleHost::messageBox(const std::string& text, Buttons buttons, Icon) {
    std::fprintf(stderr, "%s\n", text.c_str());
    if (buttons == Buttons::Ok) return Answer::Ok;
    return answerYes_ ? Answer::Yes : Answer::No;
}

void ConsoleHost::note(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

void ConsoleHost::waitFor(const std::function<void()>& work, LoadProgress& progress) {
    if (!::isatty(2)) {
        work();
        return;
    }
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    const auto start = std::chrono::steady_clock::now();
    bool shown = false;
    while (!done) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (done || std::chrono::steady_clock::now() - start < std::chrono::milliseconds(kProgressDelayMs))
            continue;
        std::fprintf(stderr, "\r%s", ProgressText(progress).c_str());
        shown = true;
    }
    worker.join();
    if (shown) std::fprintf(stderr, "\r%s\n", ProgressText(progress).c_str());
}

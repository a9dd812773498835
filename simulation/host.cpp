#include "host.h"

#include <cstdio>

void SetBusyCursor(Host& host, int busy) { host.setBusyCursor(busy == 1); }

Host::Answer ConsoleHost::messageBox(const std::string& text, Buttons buttons, Icon) {
    std::fprintf(stderr, "%s\n", text.c_str());
    if (buttons == Buttons::Ok) return Answer::Ok;
    return answerYes_ ? Answer::Yes : Answer::No;
}

void ConsoleHost::note(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

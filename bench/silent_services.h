#pragma once
#include <cstdio>
#include <string>

#include "commands/external_editor.h"
#include "commands/file_dialog.h"
#include "simulation/host.h"

/// Message boxes, file dialog and editor for a window that a benchmark
/// drives: every question is answered No, and nothing is shown.
struct SilentServices : Host, FileDialog, ExternalEditor {
    Answer messageBox(const std::string&, Buttons, Icon) override { return Answer::No; }
    void setBusyCursor(bool) override {}
    void note(const std::string&) override {}
    bool PromptForFile(const std::string&, const std::vector<FileFilter>&, std::string&) override {
        return false;
    }
    bool Open(const std::string&) override { return true; }
};

/// Messages for a benchmark that loads without a window: none is expected,
/// so each is printed.
class LoudHost : public Host {
public:
    Answer messageBox(const std::string& text, Buttons, Icon) override {
        std::fprintf(stderr, "unexpected message: %s\n", text.c_str());
        return Answer::No;
    }
    void setBusyCursor(bool) override {}
    void note(const std::string&) override {}
};

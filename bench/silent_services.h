#pragma once
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
    bool PromptForFile(const std::string&, const std::string&, const std::string&, std::string&) override {
        return false;
    }
    bool Open(const std::string&) override { return true; }
};

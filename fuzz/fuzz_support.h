#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "simulation/host.h"

/// Answers every message without showing it; Yes/No questions alternate so
/// both answers are exercised.
class FuzzHost : public Host {
public:
    Answer messageBox(const std::string&, Buttons buttons, Icon) override {
        if (buttons == Buttons::Ok) return Answer::Ok;
        yes_ = !yes_;
        return yes_ ? Answer::Yes : Answer::No;
    }
    void setBusyCursor(bool) override {}
    void note(const std::string&) override {}

private:
    bool yes_ = false;
};

/// A folder of this process's own under the temporary folder, made once;
/// the process works inside it so relative data names land there.
const std::string& FuzzFolder();

/// Writes `size` bytes to `name` inside FuzzFolder(); returns the full path.
std::string WriteFuzzFile(const std::string& name, const uint8_t* data, std::size_t size);

/// Appends `piece` to the file `path`, as a writer adds to the file it writes.
void AppendToFile(const std::string& path, std::string_view piece);

/// Whether two values read are the same, a NaN being the same as any NaN.
bool SameValue(double a, double b);

#pragma once
#include <deque>
#include <string>
#include <vector>

#include "simulation/host.h"

struct SimulationState;

/// Host for tests: records every message in order and gives the answers the
/// test queued (No when none is queued).
class ScriptedHost : public Host {
public:
    Answer messageBox(const std::string& text, Buttons buttons, Icon) override {
        messages.push_back(text);
        if (buttons == Buttons::Ok) return Answer::Ok;
        if (answers.empty()) return Answer::No;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void setBusyCursor(bool busy) override { cursorCalls.push_back(busy); }
    void note(const std::string& text) override { notes.push_back(text); }

    std::vector<std::string> messages;
    std::deque<Answer> answers;
    std::vector<bool> cursorCalls;
    std::vector<std::string> notes;
};

/// A fresh folder under the system's temporary folder, removed at the end.
/// Throws when the folder cannot be made or a file in it cannot be written.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    /// Writes `content` to `name` inside the folder; returns the full path.
    std::string write(const std::string& name, const std::string& content) const;

private:
    std::string path_;
};

/// A configuration file for `bodies` bodies with the given data name, line
/// count and playback fields; everything else takes simple values.
std::string ConfigText(const std::string& dataName, int lines, int bodies, int step = 1, int points = 10,
                       int start = 0, const std::string& box = "-2 -2 2 2");

/// Loads into `s` a simulation of one body whose row r has the time
/// `times[r]` and the place (0.01 r, 0), with trails of `trail` rows.
void LoadOneBody(SimulationState& s, const std::vector<double>& times, int trail = 0);

/// `rows` data rows for `bodies` bodies: time r, then body k at (r + k/10, -r - k/10).
std::string DataText(int rows, int bodies);

/// The words of `text`, split at blanks: a command line as a shell would
/// split one without quotes.
std::vector<std::string> Words(const std::string& text);

/// Another run of the data `text` (rows of blank-separated numbers, the
/// time first): every other row, each position `scale` times as far out.
std::string EveryOtherRowWider(const std::string& text, double scale);

/// A field of /proc/self/status ("VmRSS:", "VmHWM:"), in KiB; -1 when absent.
long StatusKiB(const char* field);

/// Starts the process's peak memory (VmHWM) again from what it holds now;
/// false when the system does not let a process do that.
bool ResetPeakMemory();

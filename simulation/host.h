#pragma once
#include <functional>
#include <string>

struct LoadProgress;

/// The framework services the core needs while it reads files: message boxes
/// and the busy cursor. The window plugs in real dialogs, the tests a scripted
/// responder and the command line a printer to standard error, so the readers
/// never depend on a windowing toolkit.
class Host {
public:
    enum class Buttons { Ok, YesNo };
    enum class Icon { Default, Exclamation, Information, Question, Error };
    enum class Answer { Ok, Yes, No };

    virtual ~Host() = default;

    /// Shows `text` with the given buttons and returns the user's answer.
    /// Icon::Default means the exclamation icon, as for any message the
    /// program shows without naming an icon.
    virtual Answer messageBox(const std::string& text, Buttons buttons = Buttons::Ok,
                              Icon icon = Icon::Default) = 0;

    /// Shows the wait cursor while `busy` is true, the normal one otherwise.
    virtual void setBusyCursor(bool busy) = 0;

    /// Tells the user something worth knowing that needs no answer, without
    /// a message box: the window's status bar, the terminal's standard error.
    virtual void note(const std::string& text) = 0;

    /// Runs `work`, the reading of a large data file, and returns when it
    /// has finished. A host may run it on another thread meanwhile showing
    /// `progress` and offering to cancel it; this one simply runs it.
    virtual void waitFor(const std::function<void()>& work, LoadProgress& progress);
};

/// Caption of every message box the program shows.
inline constexpr const char* kMessageCaption = "Orbivex";

/// Turns the busy cursor on for 1 and off for any other value.
void SetBusyCursor(Host& host, int busy);

/// Host for the command line: prints every message to standard error, one per
/// line, and answers every Yes/No question with the answer fixed at
/// construction.
class ConsoleHost : public Host {
public:
    explicit ConsoleHost(bool answerYes) : answerYes_(answerYes) {}
    Answer messageBox(const std::string& text, Buttons buttons, Icon icon) override;
    void setBusyCursor(bool) override {}
    void note(const std::string& text) override;
    /// Runs `work` on another thread and, when standard error is a terminal
    /// and the work outlasts half a second, shows its progress there.
    void waitFor(const std::function<void()>& work, LoadProgress& progress) override;

private:
    bool answerYes_;
};

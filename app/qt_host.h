#pragma once
#include <QPointer>
#include <QWidget>

#include "simulation/host.h"

/// Message boxes and the busy cursor of the window: caption "Orbivex", the
/// warning (exclamation) icon unless the caller names another.
class QtHost : public Host {
public:
    explicit QtHost(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    Answer messageBox(const std::string& text, Buttons buttons, Icon icon) override;
    void setBusyCursor(bool busy) override;
    /// Shows the note in the main window's status bar, where it stays until
    /// the next message there.
    void note(const std::string& text) override;
    /// Runs `work` on another thread with the window's events running: after
    /// half a second the status bar shows the progress and a Cancel button.
    /// The view and the tool bars take no input meanwhile (the menus open;
    /// their commands are refused while the state says a load is under way).
    void waitFor(const std::function<void()>& work, LoadProgress& progress) override;

private:
    QPointer<QWidget> parent_;
    bool busy_ = false;
};

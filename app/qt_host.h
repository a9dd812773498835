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

private:
    QPointer<QWidget> parent_;
    bool busy_ = false;
};

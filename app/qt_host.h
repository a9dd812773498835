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

private:
    QPointer<QWidget> parent_;
    bool busy_ = false;
};

#pragma once
#include <QPointer>
#include <QWidget>

#include "commands/external_editor.h"

/// Opens files with the program named by ORBIVEX_EDITOR when it is set,
/// else with the desktop's handler for the file. The path is handed over as
/// one argument, never through a shell (no argument when it is empty), and
/// the program goes on while the editor runs.
class QtExternalEditor : public ExternalEditor {
public:
    explicit QtExternalEditor(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    bool Open(const std::string& path) override;

private:
    QPointer<QWidget> parent_;
};

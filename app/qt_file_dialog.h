#pragma once
#include <QPointer>
#include <QWidget>

#include "commands/file_dialog.h"

/// The toolkit's open-file dialog, modal to the main window; it accepts only
/// files that exist.
class QtFileDialog : public FileDialog {
public:
    explicit QtFileDialog(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    bool PromptForFile(const std::string& title, const std::string& description, const std::string& pattern,
                       std::string& path) override;

private:
    QPointer<QWidget> parent_;
};

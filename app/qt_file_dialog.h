#pragma once
#include <QPointer>
#include <QString>
#include <QWidget>

#include "commands/file_dialog.h"

class RememberedSettings;

/// The toolkit's open-file dialog, modal to the main window; it accepts only
/// files that exist. With settings it starts a file named without a folder
/// in the last folder used, and remembers the folder of each file chosen.
class QtFileDialog : public FileDialog {
public:
    explicit QtFileDialog(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void rememberIn(RememberedSettings* settings) { settings_ = settings; }
    bool PromptForFile(const std::string& title, const std::vector<FileFilter>& filters,
                       std::string& path) override;

private:
    QPointer<QWidget> parent_;
    RememberedSettings* settings_ = nullptr;
};

/// Where an open dialog starts for `path`: a relative path in `lastFolder`
/// when that folder exists, else `path` as it is.
QString StartPathIn(const QString& path, const QString& lastFolder);

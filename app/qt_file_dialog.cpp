#include "app/qt_file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "app/remembered_settings.h"

QString StartPathIn(const QString& path, const QString& lastFolder) {
    if (lastFolder.isEmpty() || !QFileInfo(path).isRelative() || !QDir(lastFolder).exists()) return path;
    return QDir(lastFolder).filePath(path);
}

bool QtFileDialog::PromptForFile(const std::string& title, const std::vector<FileFilter>& filters,
                                 std::string& path) {
    std::string listed;
    for (const FileFilter& f : filters) listed += f.description + " (" + f.patterns + ");;";
    const QString filter = QString::fromStdString(listed + "All Files (*)");
    QString start = QString::fromStdString(path);
    if (settings_) start = StartPathIn(start, settings_->lastFolder());
    const QString chosen =
        QFileDialog::getOpenFileName(parent_, QString::fromStdString(title), start, filter);
    if (chosen.isEmpty()) return false;
    if (settings_) settings_->setLastFolder(QFileInfo(chosen).absolutePath());
    path = chosen.toStdString();
    return true;
}

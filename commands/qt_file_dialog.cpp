#include "commands/qt_file_dialog.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

bool QtFileDialog::PromptForFile(const std::string& title, const std::string& description,
                                 const std::string& pattern, std::string& path) {
    const QString filter = QString::fromStdString(description + " (" + pattern + ");;All Files (*)");
    const QString chosen = QFileDialog::getOpenFileName(parent_, QString::fromStdString(title),
                                                        QString::fromStdString(path), filter);
    if (chosen.isEmpty()) return false;
    path = chosen.toStdString();
    return true;
}

void QtExternalEditor::Open(const std::string& path) {
    const QString file = QString::fromStdString(path);
    const QString editor = qEnvironmentVariable("ORBIVEX_EDITOR");
    if (!editor.isEmpty()) {
        QProcess::startDetached(editor, {file});
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
}

#include "app/qt_file_dialog.h"

#include <QFileDialog>

bool QtFileDialog::PromptForFile(const std::string& title, const std::string& description,
                                 const std::string& pattern, std::string& path) {
    const QString filter = QString::fromStdString(description + " (" + pattern + ");;All Files (*)");
    const QString chosen = QFileDialog::getOpenFileName(parent_, QString::fromStdString(title),
                                                        QString::fromStdString(path), filter);
    if (chosen.isEmpty()) return false;
    path = chosen.toStdString();
    return true;
}

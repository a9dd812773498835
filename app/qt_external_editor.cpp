#include "app/qt_external_editor.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

bool QtExternalEditor::Open(const std::string& path) {
    const QString file = QString::fromStdString(path);
    const QString editor = qEnvironmentVariable("ORBIVEX_EDITOR");
    if (!editor.isEmpty())
        return QProcess::startDetached(editor, file.isEmpty() ? QStringList() : QStringList{file});
    // The desktop's handler needs a file to choose a program by.
    if (file.isEmpty()) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
}

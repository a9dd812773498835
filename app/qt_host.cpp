#include "app/qt_host.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>

namespace {

QMessageBox::Icon ToQtIcon(Host::Icon icon) {
    switch (icon) {
        case Host::Icon::Information:
            return QMessageBox::Information;
        case Host::Icon::Question:
            return QMessageBox::Question;
        case Host::Icon::Error:
            return QMessageBox::Critical;
        default:
            return QMessageBox::Warning;
    }
}

}  // namespace

Host::Answer QtHost::messageBox(const std::string& text, Buttons buttons, Icon icon) {
    const bool yesNo = buttons == Buttons::YesNo;
    QMessageBox box(ToQtIcon(icon), QString::fromLatin1(kMessageCaption), QString::fromStdString(text),
                    yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, parent_);
    box.setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
    const int answer = box.exec();
    if (!yesNo) return Answer::Ok;
    return answer == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void QtHost::setBusyCursor(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtHost::note(const std::string& text) {
    if (auto* window = qobject_cast<QMainWindow*>(parent_.data()))
        window->statusBar()->showMessage(QString::fromStdString(text));
}

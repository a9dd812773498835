#include "app/qt_host.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <thread>

#include "simulation/load_progress.h"

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

namespace {

/// The status bar's progress bar and Cancel button for one load, and the
/// window's input turned off while it lasts. The two widgets are made once
/// per window and only shown and hidden after that: adding or removing a
/// status bar widget lays the bar out anew, which shows its "Ready" label
/// again under whatever message it holds (a cancelled load's note).
class LoadIndicator {
public:
    LoadIndicator(QMainWindow& window, LoadProgress& progress) : window_(window), progress_(progress) {
        for (QToolBar* bar : window.findChildren<QToolBar*>()) inputs_.append(bar);
        if (window.centralWidget()) inputs_.append(window.centralWidget());
        for (QWidget* w : inputs_) w->setEnabled(false);
    }
    ~LoadIndicator() {
        for (QWidget* w : inputs_)
            if (w) w->setEnabled(true);
        QObject::disconnect(cancelled_);
        if (bar_) bar_->hide();
        if (cancel_) cancel_->hide();
    }
    void Update() {
        if (!bar_) {
            QStatusBar* status = window_.statusBar();
            bar_ = status->findChild<QProgressBar*>(QStringLiteral("loadProgress"));
            cancel_ = status->findChild<QPushButton*>(QStringLiteral("loadCancel"));
            if (!bar_) {
                bar_ = new QProgressBar;
                bar_->setObjectName(QStringLiteral("loadProgress"));
                bar_->setRange(0, 1000);
                bar_->setMaximumWidth(120);
                cancel_ = new QPushButton(QStringLiteral("Cancel"));
                cancel_->setObjectName(QStringLiteral("loadCancel"));
                status->addPermanentWidget(bar_);
                status->addPermanentWidget(cancel_);
            }
            cancelled_ = QObject::connect(cancel_, &QPushButton::clicked, [this] {
                progress_.cancelled = true;
                cancel_->setEnabled(false);
            });
            cancel_->setEnabled(true);
            bar_->show();
            cancel_->show();
        }
        const double total = double(std::max<uint64_t>(progress_.fileBytes.load(), 1));
        bar_->setValue(int(1000.0 * double(progress_.bytesRead.load()) / total));
        window_.statusBar()->showMessage(QString::fromStdString(ProgressText(progress_)));
    }

private:
    QMainWindow& window_;
    LoadProgress& progress_;
    QList<QPointer<QWidget>> inputs_;
    QPointer<QProgressBar> bar_;
    QPointer<QPushButton> cancel_;
    QMetaObject::Connection cancelled_;
};

}  // namespace

void QtHost::waitFor(const std::function<void()>& work, LoadProgress& progress) {
    auto* window = qobject_cast<QMainWindow*>(parent_.data());
    if (!window) {
        work();
        return;
    }
    QEventLoop loop;
    // Arrow and hourglass: the window still answers while the load runs.
    if (busy_) QApplication::changeOverrideCursor(Qt::BusyCursor);
    std::thread worker([&] {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    {
        LoadIndicator indicator(*window, progress);
        QElapsedTimer clock;
        clock.start();
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (clock.elapsed() >= kProgressDelayMs) indicator.Update();
        });
        poll.start(100);
        // Leaving the program cancels the load rather than waiting for it.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, &loop, [&] { progress.cancelled = true; });
        loop.exec();
    }
    worker.join();
    if (busy_) QApplication::changeOverrideCursor(Qt::WaitCursor);
    // A cancelled load's note replaces the progress; otherwise it goes.
    if (!progress.cancelled) window->statusBar()->clearMessage();
}

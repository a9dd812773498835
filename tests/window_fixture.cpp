#include "window_fixture.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "animation/startup_defaults.h"
#include "app/command_ids.h"
#include "app/simulation_view.h"

std::ostream& operator<<(std::ostream& out, const QString& text) {
    return out << '"' << text.toStdString() << '"';
}

bool ScriptedFileDialog::PromptForFile(const std::string& title, const std::vector<FileFilter>& filters,
                                       std::string& path) {
    prompts.push_back(title + "|" + (filters.empty() ? "" : filters[0].description) + "|" + path);
    if (choices.empty()) return false;
    path = choices.front();
    choices.pop_front();
    return true;
}

void FrameFixture::SetUp() {
    frame = std::make_unique<CMainFrame>(state, plot, host, dialog, editor);
    InitialiseDefaults(state, plot);
    frame->show();
    QApplication::processEvents();
}

void FrameFixture::Load(int rows, int trail, int step) {
    dir.write("sim.dat", DataText(rows, 1));
    dialog.choices.push_back(dir.write("sim.ovx", ConfigText("sim.dat", rows, 1, step, trail)));
    ASSERT_TRUE(frame->runCommand(ID_NEW_SIMULATION));
    view()->repaint();
}

void FrameFixture::Start() {
    frame->runCommand(ID_START_ANIMATION);
    view()->repaint();
}

void FrameFixture::Key(int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(view(), Qt::Key(key), modifiers);
    view()->repaint();
}

void FrameFixture::OnNextDialog(std::function<void(QDialog&)> act) {
    auto* poll = new QTimer(frame.get());
    auto waiting = std::make_shared<bool>(true);
    QObject::connect(poll, &QObject::destroyed, [waiting] {
        if (*waiting) ADD_FAILURE() << "no dialog opened";
    });
    QObject::connect(poll, &QTimer::timeout, [poll, waiting, act, deadline = QDeadlineTimer(5000)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog && !deadline.hasExpired()) return;
        poll->stop();
        poll->deleteLater();  // reports the failure when no dialog opened
        if (!dialog) return;
        *waiting = false;
        act(*dialog);
    });
    poll->start(10);
}

void FrameFixture::CancelNextDialog() {
    OnNextDialog([](QDialog& dialog) { dialog.reject(); });
}

void FrameFixture::TypeAndConfirm(const QString& name, const QString& text) {
    OnNextDialog([name, text](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(name)->setText(text);
        dialog.accept();
        if (dialog.isVisible()) dialog.reject();
    });
}

int FrameFixture::TicksWhileRunning(int most) {
    int ticks = 0;
    while (view()->timerRunning() && ticks < most) {
        view()->deliverTick();
        ++ticks;
    }
    return ticks;
}

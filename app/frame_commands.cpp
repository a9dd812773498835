#include "app/frame_commands.h"

#include <QAction>
#include <QActionGroup>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <algorithm>

#include "animation/frame_view.h"
#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "app/command_actions.h"
#include "app/command_ids.h"
#include "app/simulation_view.h"
#include "simulation/host.h"
#include "simulation/reference_frame.h"

namespace {

/// Bodies the frame menus list; more are chosen by number or name.
constexpr int kMenuBodies = 30;

}  // namespace

FrameCommands::FrameCommands(SimulationState& state, PlotBox& plot, Host& host, CommandActions& commands,
                             SimulationView& view, QObject& owner)
    : QObject(&owner), state_(state), plot_(plot), host_(host), commands_(commands), view_(view) {
    QAction* inertial =
        commands_.addCommand(ID_FRAME_INERTIAL, tr("Inertial"),
                             tr("Show the positions as the data gives them, the sun at the origin"), [this] {
                                 if (state_.view.frame.kind == ReferenceFrame::Kind::Inertial) return false;
                                 return choose("inertial").empty();
                             });
    inertial->setShortcut(QKeySequence(Qt::Key_Escape));
    commands_.addCommand(ID_FRAME_BARYCENTRE, tr("Barycentre"),
                         tr("Show the positions about the centre of mass of the sun and the bodies"), [this] {
                             chooseFromMenu("barycentre");
                             return false;
                         });
    // One group for every item, so that they show as choices of one.
    group_ = new QActionGroup(this);
    for (int id : {ID_FRAME_INERTIAL, ID_FRAME_BARYCENTRE}) {
        commands_.action(id)->setCheckable(true);
        group_->addAction(commands_.action(id));
    }
    connect(&view_, &SimulationView::bodyClicked, this,
            [this](int body) { chooseFromMenu("centre:" + std::to_string(body)); });
}

void FrameCommands::addToMenu(QMenu& view) {
    QMenu* frame = view.addMenu(tr("Frame"));
    frame->addAction(commands_.action(ID_FRAME_INERTIAL));
    centred_ = frame->addMenu(tr("Centred on Body"));
    rotating_ = frame->addMenu(tr("Turning with Body"));
    scaled_ = frame->addMenu(tr("Turning with Body, Scaled"));
    frame->addAction(commands_.action(ID_FRAME_BARYCENTRE));
    connect(frame, &QMenu::aboutToShow, this, [this] { fillMenus(); });
    fillMenus();
}

void FrameCommands::fillMenus() {
    const ReferenceFrame& shown = state_.view.frame;
    commands_.action(ID_FRAME_INERTIAL)->setChecked(shown.kind == ReferenceFrame::Kind::Inertial);
    commands_.action(ID_FRAME_BARYCENTRE)->setChecked(shown.kind == ReferenceFrame::Kind::Barycentre);
    const int bodies = state_.loaded().dataLoaded ? state_.loaded().usableBodies() : 0;
    const struct {
        QMenu* menu;
        ReferenceFrame::Kind kind;
        bool scaled;
    } kinds[] = {{centred_, ReferenceFrame::Kind::Centred, false},
                 {rotating_, ReferenceFrame::Kind::Rotating, false},
                 {scaled_, ReferenceFrame::Kind::Rotating, true}};
    for (const auto& [menu, kind, scaled] : kinds) {
        menu->clear();
        menu->setEnabled(bodies > 0);
        for (int body = 1; body <= std::min(bodies, kMenuBodies); ++body) {
            const ReferenceFrame frame{kind, body, scaled};
            QString text = QString::number(body);
            if (std::size_t(body) <= state_.loaded().fields.bodyNames.size() &&
                !state_.loaded().fields.bodyNames[std::size_t(body - 1)].empty())
                text += QStringLiteral("  ") +
                        QString::fromStdString(state_.loaded().fields.bodyNames[std::size_t(body - 1)]);
            QAction* item = menu->addAction(text);
            item->setCheckable(true);
            group_->addAction(item);
            item->setChecked(shown == frame);
            connect(item, &QAction::triggered, this, [this, frame] { chooseFromMenu(FrameText(frame)); });
        }
        if (bodies <= kMenuBodies) continue;
        // The rest by number or name, asked for.
        menu->addSeparator();
        QAction* other = menu->addAction(tr("Body\u2026"));
        other->setCheckable(true);
        group_->addAction(other);
        other->setChecked(shown.kind == kind && shown.scaled == scaled && shown.body > kMenuBodies);
        connect(other, &QAction::triggered, this, [this, kind, scaled, bodies] {
            bool ok = false;
            const QString body = QInputDialog::getText(view_.window(), tr("Frame"),
                                                       tr("Body (a number 1 to %1, or a name):").arg(bodies),
                                                       QLineEdit::Normal, QString(), &ok)
                                     .trimmed();
            if (!ok || body.isEmpty()) return fillMenus();
            const std::string text = body.toStdString();
            chooseFromMenu(std::string(kind == ReferenceFrame::Kind::Centred ? "centre:" : "rotate:") + text +
                           (scaled ? ",scaled" : ""));
        });
    }
}

std::string FrameCommands::choose(const std::string& text) {
    if (state_.playback.loading) return "a data file is being read";
    const std::string why = ShowInFrame(state_, plot_, text);
    if (why.empty()) view_.invalidate();
    fillMenus();
    return why;
}

void FrameCommands::chooseFromMenu(const std::string& text) {
    const std::string why = choose(text);
    if (!why.empty()) host_.messageBox("The frame cannot be shown: " + why + ".");
}

bool FrameCommands::refresh() {
    if (!KeepFrame(state_, plot_, host_)) return false;
    fillMenus();
    return true;
}

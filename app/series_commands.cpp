#include "app/series_commands.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSplitter>
#include <QVBoxLayout>
#include <vector>

#include "animation/simulation_state.h"
#include "app/command_actions.h"
#include "app/command_ids.h"
#include "app/series_panel_view.h"
#include "app/simulation_view.h"
#include "panel/panel_series.h"

namespace {

/// The kinds the dialog offers as a box each: the list's bare names, for
/// every body's (or the system's) values.
struct KindBox {
    const char* name;
    const char* text;
};
constexpr KindBox kKindBoxes[] = {
    {"r", "r: distance from the sun"},
    {"v", "v: speed"},
    {"a", "a: semi-major axis"},
    {"e", "e: eccentricity"},
    {"omega", "\u03c9: argument of pericentre"},
    {"i", "i: inclination"},
    {"node", "\u03a9: ascending node"},
    {"eps", "\u03b5: specific orbital energy"},
    {"energy", "\u0394E/|E\u2080|: the system's energy"},
    {"momentum", "|\u0394L|/|L\u2080|: the system's angular momentum"},
};

/// The list's items, trimmed.
QStringList Items(const QString& list) {
    QStringList items;
    for (const QString& item : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (!item.trimmed().isEmpty()) items << item.trimmed();
    return items;
}

}  // namespace

SeriesCommands::SeriesCommands(SimulationState& state, CommandActions& commands, SimulationView& view,
                               QWidget& window, std::function<void(int)> seek)
    : QObject(&window), state_(state), commands_(commands), window_(window) {
    area_ = new QSplitter(Qt::Vertical, &window);
    area_->setChildrenCollapsible(false);
    area_->addWidget(&view);
    panel_ = new SeriesPanelView(state_, view, area_);
    area_->addWidget(panel_);
    area_->setStretchFactor(0, 3);
    area_->setStretchFactor(1, 2);
    panel_->hide();
    connect(panel_, &SeriesPanelView::seekRequested, this, [seek](int row) { seek(row); });
    connect(&view, &SimulationView::framePresented, panel_, &SeriesPanelView::sync);

    auto* show = new QAction(tr("&Time Series"), this);
    show->setCheckable(true);
    show->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    show->setStatusTip(tr("Show or hide the panel of series over time under the view"));
    connect(show, &QAction::toggled, this, [this](bool on) {
        state_.view.panel.shown = on;
        showChoice();
    });
    commands_.add(ID_VIEW_SERIES, show);
    // Only the user's own choice is kept over the next loads; showing what a
    // load asks for is no trigger.
    connect(show, &QAction::triggered, this, [this] { state_.view.chosen.panel = true; });
    commands_.addCommand(ID_SERIES_QUANTITIES, tr("Time Series &Quantities…"),
                         tr("Choose the series the panel plots"), [this] {
                             OnQuantities();
                             return false;
                         });
}

void SeriesCommands::addToMenu(QMenu& view) {
    view.addSeparator();
    view.addAction(commands_.action(ID_VIEW_SERIES));
    view.addAction(commands_.action(ID_SERIES_QUANTITIES));
}

void SeriesCommands::showChoice() {
    const bool on = state_.view.panel.shown;
    commands_.action(ID_VIEW_SERIES)->setChecked(on);
    if (panel_->isVisible() == on) return;
    panel_->setVisible(on);
    if (on) {
        // Two fifths of the height, as a picture with a panel has it,
        // whatever height the window has yet.
        area_->setSizes({3000, 2000});
        panel_->sync();
    }
}

std::string SeriesCommands::choose(const std::string& list) {
    const QuantityList asked =
        ParseQuantities(list, state_.loaded().usableBodies(), state_.loaded().fields.bodyNames);
    if (!asked.error.empty()) return asked.error;
    state_.view.panel.list = list;
    state_.view.panel.shown = true;
    state_.view.chosen.panel = true;
    showChoice();
    panel_->sync();
    return {};
}

void SeriesCommands::OnQuantities() {
    QDialog dialog(&window_);
    dialog.setWindowTitle(tr("Time Series Quantities"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(tr("Each kind of quantity is plotted in a plot of its own, over time.\n"
                                    "A checked box plots every body's; the list also takes one body's "
                                    "(a:1, e:Mars) and separations (sep:1-2)."),
                                 &dialog));
    auto* grid = new QGridLayout;
    std::vector<QCheckBox*> boxes;
    auto* text = new QLineEdit(&dialog);
    text->setObjectName(QStringLiteral("quantities"));
    const std::string current =
        state_.view.panel.list.empty() ? DefaultPanelList(state_) : state_.view.panel.list;
    text->setText(QString::fromStdString(current));
    const QStringList items = Items(text->text());
    for (std::size_t k = 0; k < std::size(kKindBoxes); ++k) {
        auto* box = new QCheckBox(QString::fromUtf8(kKindBoxes[k].text), &dialog);
        box->setObjectName(QLatin1String(kKindBoxes[k].name));
        box->setChecked(items.contains(QLatin1String(kKindBoxes[k].name)));
        grid->addWidget(box, int(k / 2), int(k % 2));
        boxes.push_back(box);
        const QString name = QLatin1String(kKindBoxes[k].name);
        connect(box, &QCheckBox::toggled, text, [text, name](bool on) {
            QStringList now = Items(text->text());
            now.removeAll(name);
            if (on) now << name;
            text->setText(now.join(QLatin1Char(',')));
        });
    }
    layout->addLayout(grid);
    layout->addWidget(new QLabel(tr("Quantities:"), &dialog));
    layout->addWidget(text);
    auto* problem = new QLabel(&dialog);
    problem->setObjectName(QStringLiteral("problem"));
    problem->setWordWrap(true);
    layout->addWidget(problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        const std::string why = choose(text->text().trimmed().toStdString());
        if (why.empty())
            dialog.accept();
        else
            problem->setText(QString::fromStdString(why));
    });
    dialog.exec();
}

#include "app/runs_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "animation/simulation_state.h"

RunsDialog::RunsDialog(const SimulationState& state, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Runs"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Compared with %1, whose clock the playback follows:")
                                     .arg(QString::fromStdString(state.first().name)),
                                 this));
    list_ = new QListWidget(this);
    list_->setDragDropMode(QAbstractItemView::InternalMove);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (std::size_t k = 0; k + 1 < state.runs.size(); ++k) {
        const Run& run = state.others()[k];
        auto* item = new QListWidgetItem(QString::fromStdString(run.name), list_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsDragEnabled);
        item->setFlags(item->flags() & ~Qt::ItemIsDropEnabled);
        item->setCheckState(run.shown ? Qt::Checked : Qt::Unchecked);
        item->setData(Qt::UserRole, qulonglong(k));
    }
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* remove = buttons->addButton(tr("Remove"), QDialogButtonBox::ActionRole);
    connect(remove, &QPushButton::clicked, this, [this] { qDeleteAll(list_->selectedItems()); });
    QPushButton* makeFirst = buttons->addButton(tr("Make First"), QDialogButtonBox::ActionRole);
    makeFirst->setToolTip(tr("Play on this run's clock, and follow its data file when following"));
    connect(makeFirst, &QPushButton::clicked, this, [this] {
        if (list_->currentRow() < 0) return;
        first_ = list_->currentRow();
        done(kMadeFirst);
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

std::vector<RunPlace> RunsDialog::places() const {
    std::vector<RunPlace> places;
    for (int row = 0; row < list_->count(); ++row) {
        const QListWidgetItem* item = list_->item(row);
        places.push_back(
            {std::size_t(item->data(Qt::UserRole).toULongLong()), item->checkState() == Qt::Checked});
    }
    return places;
}

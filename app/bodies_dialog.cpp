#include "app/bodies_dialog.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "animation/body_rows.h"
#include "animation/simulation_state.h"
#include "base/colour_names.h"

namespace {

enum Column { Shown, Name, Colour };

QColor ToQColor(ColourRef c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

void ShowColour(QTableWidgetItem* item, ColourRef colour) {
    item->setText(QString::fromStdString(ColourText(colour)));
    item->setIcon([colour] {
        QPixmap swatch(12, 12);
        swatch.fill(ToQColor(colour));
        return QIcon(swatch);
    }());
}

}  // namespace

bool RunBodiesDialog(SimulationState& state, PlotBox& plot, QWidget* parent) {
    std::vector<BodyRow> rows = BodyRowsOf(state);
    if (rows.empty()) return false;
    QDialog dialog(parent);
    dialog.setWindowTitle(QObject::tr("Bodies"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* table = new QTableWidget(int(rows.size()), 3, &dialog);
    table->setHorizontalHeaderLabels({QObject::tr("Shown"), QObject::tr("Name"), QObject::tr("Colour")});
    table->horizontalHeader()->setSectionResizeMode(Name, QHeaderView::Stretch);
    for (int k = 0; k < int(rows.size()); ++k) {
        auto* shown = new QTableWidgetItem;
        shown->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        shown->setCheckState(Qt::Checked);
        table->setItem(k, Shown, shown);
        table->setItem(k, Name, new QTableWidgetItem(QString::fromStdString(rows[std::size_t(k)].name)));
        auto* colour = new QTableWidgetItem;
        ShowColour(colour, rows[std::size_t(k)].colour);
        table->setItem(k, Colour, colour);
    }
    QObject::connect(table, &QTableWidget::cellDoubleClicked, &dialog, [&](int row, int column) {
        if (column != Colour) return;
        QTableWidgetItem* item = table->item(row, column);
        const std::optional<ColourRef> now = ParseColour(item->text().trimmed().toStdString());
        const QColor picked = QColorDialog::getColor(ToQColor(now.value_or(0)), &dialog);
        if (picked.isValid())
            ShowColour(item, Rgb(uint8_t(picked.red()), uint8_t(picked.green()), uint8_t(picked.blue())));
    });
    layout->addWidget(table);
    layout->addWidget(new QLabel(
        QObject::tr("Bodies left out come back when the file is opened again. A name is one word."),
        &dialog));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        std::vector<BodyRow> edited = rows;
        for (int k = 0; k < int(rows.size()); ++k) {
            BodyRow& row = edited[std::size_t(k)];
            row.shown = table->item(k, Shown)->checkState() == Qt::Checked;
            row.name = table->item(k, Name)->text().trimmed().toStdString();
            const QString text = table->item(k, Colour)->text().trimmed();
            const std::optional<ColourRef> colour = ParseColour(text.toStdString());
            if (!colour) {
                QMessageBox::warning(
                    &dialog, QObject::tr("Bodies"),
                    QObject::tr("'%1' is not a colour: give a name such as red, or #rrggbb.").arg(text));
                return;
            }
            row.colour = *colour;
        }
        if (edited == rows) return dialog.reject();
        const std::string problem = ApplyBodyRows(state, plot, edited);
        if (!problem.empty()) {
            QMessageBox::warning(&dialog, QObject::tr("Bodies"), QString::fromStdString(problem));
            return;
        }
        dialog.accept();
    });
    dialog.resize(420, 480);
    return dialog.exec() == QDialog::Accepted;
}

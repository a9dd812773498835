#include "app/video_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QRadioButton>
#include <QSpinBox>

std::optional<VideoChoice> RunVideoDialog(double fps, QWidget* parent) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QDialog::tr("Export Video"));
    auto* form = new QFormLayout(&dialog);
    auto* toEnd = new QRadioButton(QDialog::tr("To the end of the data"), &dialog);
    toEnd->setObjectName(QStringLiteral("toEnd"));
    auto* forTicks = new QRadioButton(QDialog::tr("For a number of ticks:"), &dialog);
    forTicks->setObjectName(QStringLiteral("forTicks"));
    auto* ticks = new QSpinBox(&dialog);
    ticks->setObjectName(QStringLiteral("ticks"));
    ticks->setRange(1, 1000000);
    ticks->setValue(500);
    auto* rate = new QDoubleSpinBox(&dialog);
    rate->setObjectName(QStringLiteral("fps"));
    rate->setRange(0.1, 240);
    rate->setDecimals(1);
    rate->setValue(fps);
    toEnd->setChecked(true);
    form->addRow(toEnd);
    form->addRow(forTicks, ticks);
    form->addRow(QDialog::tr("Frames per second:"), rate);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return VideoChoice{.ticks = forTicks->isChecked() ? std::optional<int>(ticks->value()) : std::nullopt,
                       .fps = rate->value()};
}

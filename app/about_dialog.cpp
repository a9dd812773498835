#include "app/about_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include "app/version.h"

QIcon ApplicationIcon() {
    QIcon icon;
    for (int side : {16, 32, 64}) {
        QPixmap picture(side, side);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        const double unit = side / 32.0;
        painter.setPen(QPen(QColor(0, 0, 180), 1.5 * unit));
        painter.drawEllipse(QRectF(3 * unit, 9 * unit, 26 * unit, 14 * unit));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(240, 240, 0));
        painter.drawEllipse(QRectF(11 * unit, 11 * unit, 10 * unit, 10 * unit));
        painter.setBrush(QColor(240, 0, 0));
        painter.drawEllipse(QRectF(23 * unit, 16 * unit, 6 * unit, 6 * unit));
        painter.end();
        icon.addPixmap(picture);
    }
    return icon;
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Orbivex"));
    auto* layout = new QGridLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(new QLabel(QStringLiteral("Orbivex Version ") + QString::fromLatin1(kVersion), this), 0, 1);
    layout->addWidget(new QLabel(tr("Plays back precomputed orbits of up to 30 bodies about a sun."), this),
                      1, 1);
    layout->addWidget(new QLabel(tr("Written by the Orbivex developers."), this), 2, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons, 0, 2, Qt::AlignTop);
}

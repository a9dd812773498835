#include "app/about_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/version.h"

QIcon ApplicationIcon() { return QIcon(QStringLiteral(":/icons/org.orbivex.Orbivex.svg")); }

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Orbivex"));
    auto* layout = new QGridLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(new QLabel(QStringLiteral("Orbivex Version ") + QString::fromLatin1(kVersion), this), 0,
                      1);
    layout->addWidget(new QLabel(tr("Plays back precomputed orbits of up to 30 bodies about a sun."), this),
                      1, 1);
    layout->addWidget(new QLabel(tr("Written by the Orbivex developers."), this), 2, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons, 0, 2, Qt::AlignTop);
}

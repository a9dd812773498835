#include "app/dialog_template.h"

#include <QCheckBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

/// Converts dialog units to pixels for one font.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics metrics(font);
        const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        perX_ = metrics.horizontalAdvance(letters) / (4.0 * letters.size());
        perY_ = metrics.height() / 8.0;
    }

    /// Edges are converted one by one, so that controls that touch in the
    /// template still touch, and never overlap, after rounding.
    QRect rect(int x, int y, int w, int h) const {
        return QRect(QPoint(toX(x), toY(y)), QPoint(toX(x + w) - 1, toY(y + h) - 1));
    }
    QSize size(int w, int h) const { return QSize(toX(w), toY(h)); }

private:
    int toX(int units) const { return qRound(units * perX_); }
    int toY(int units) const { return qRound(units * perY_); }

    double perX_, perY_;
};

/// A static wraps words only when its rectangle has room for more lines than
/// its text has; otherwise wrapping would just push its last lines out of
/// sight, and a line a little too long for the rectangle is better clipped.
bool WrapsWords(const QLabel& label) {
    const int lines = label.text().count(QLatin1Char('\n')) + 1;
    return label.height() / label.fontMetrics().lineSpacing() > lines;
}

QWidget* CreateControl(QDialog& dialog, const TemplateControl& control) {
    const QString text = QString::fromUtf8(control.text);
    switch (control.kind) {
        case ControlKind::AcceptButton: {
            auto* button = new QPushButton(text, &dialog);
            button->setDefault(true);
            QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::accept);
            return button;
        }
        case ControlKind::RejectButton: {
            auto* button = new QPushButton(text, &dialog);
            QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::reject);
            return button;
        }
        case ControlKind::Group:
            return new QGroupBox(text, &dialog);
        case ControlKind::Static: {
            auto* label = new QLabel(text, &dialog);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(text, &dialog);
            edit->setReadOnly(control.style & kReadOnly);
            if (control.style & kRightAligned) edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            return edit;
        }
        case ControlKind::CheckBox:
            return new QCheckBox(text, &dialog);
    }
    return nullptr;
}

}  // namespace

void BuildFromTemplate(QDialog& dialog, const DialogTemplate& layout) {
    const QString caption = QString::fromUtf8(layout.caption);
    dialog.setWindowTitle(caption);
    dialog.setObjectName(caption.trimmed());
    const DialogUnits units(dialog.font());
    dialog.setFixedSize(units.size(layout.w, layout.h));
    QWidget* firstEdit = nullptr;
    for (const TemplateControl& control : layout.controls) {
        // Created in table order, so the focus chain follows the table.
        QWidget* widget = CreateControl(dialog, control);
        widget->setObjectName(QString::fromUtf8(control.name));
        widget->setGeometry(units.rect(control.x, control.y, control.w, control.h));
        if (control.kind == ControlKind::Group) widget->lower();
        if (auto* label = qobject_cast<QLabel*>(widget)) label->setWordWrap(WrapsWords(*label));
        if (control.kind == ControlKind::Edit && !firstEdit) firstEdit = widget;
    }
    if (firstEdit) firstEdit->setFocus();
}

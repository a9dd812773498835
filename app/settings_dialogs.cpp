#include "app/settings_dialogs.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>
#include <vector>

#include "animation/settings.h"
#include "simulation/host.h"
#include "simulation/simulation_state.h"

namespace {

/// A dialog whose OK runs the fields' checks in order and closes only when
/// all of them pass.
class SettingsDialog : public QDialog {
public:
    SettingsDialog(const QString& title, Host& host, QWidget* parent) : QDialog(parent), host_(host) {
        setWindowTitle(title);
        setObjectName(title.trimmed());
        layout_ = new QVBoxLayout(this);
    }

    QFormLayout* addGroup(const QString& title) {
        auto* group = new QGroupBox(title, this);
        auto* form = new QFormLayout(group);
        layout_->addWidget(group);
        return form;
    }

    QLineEdit* addInteger(QFormLayout* form, const QString& label, const QString& name, int& field,
                          std::optional<std::pair<int, int>> range) {
        QLineEdit* edit = addEdit(form, label, name, QString::number(field));
        checks_.push_back([this, edit, &field, range] {
            const auto value = ParseIntegerField(edit->text().toStdString());
            if (!value) return Refuse(edit, kIntegerMessage);
            if (range && (*value < range->first || *value > range->second))
                return Refuse(edit, RangeMessage(range->first, range->second));
            field = *value;
            return true;
        });
        return edit;
    }

    QLineEdit* addShown(QFormLayout* form, const QString& label, const QString& name, int value) {
        QLineEdit* edit = addEdit(form, label, name, QString::number(value));
        edit->setReadOnly(true);
        edit->setAlignment(Qt::AlignRight);
        return edit;
    }

    QLineEdit* addReal(QFormLayout* form, const QString& label, const QString& name, double& field) {
        QLineEdit* edit = addEdit(form, label, name, QString::fromStdString(FormatRealField(field)));
        checks_.push_back([this, edit, &field] {
            const auto value = ParseRealField(edit->text().toStdString());
            if (!value) return Refuse(edit, kNumberMessage);
            field = *value;
            return true;
        });
        return edit;
    }

    QCheckBox* addCheck(QFormLayout* form, const QString& label, const QString& name, int& field) {
        auto* box = new QCheckBox(label, this);
        box->setObjectName(name);
        box->setChecked(ShownChecked(field));
        form->addRow(box);
        checks_.push_back([box, &field] {
            field = box->isChecked() ? 1 : 0;
            return true;
        });
        return box;
    }

    bool run() {
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons->button(QDialogButtonBox::Ok)->setDefault(true);
        connect(buttons, &QDialogButtonBox::accepted, this, &SettingsDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout_->addWidget(buttons);
        return exec() == QDialog::Accepted;
    }

    void accept() override {
        for (const auto& check : checks_)
            if (!check()) return;
        QDialog::accept();
    }

private:
    QLineEdit* addEdit(QFormLayout* form, const QString& label, const QString& name, const QString& text) {
        auto* edit = new QLineEdit(text, this);
        edit->setObjectName(name);
        form->addRow(label, edit);
        return edit;
    }

    bool Refuse(QLineEdit* edit, const std::string& message) {
        host_.messageBox(message);
        edit->setFocus();
        edit->selectAll();
        return false;
    }

    Host& host_;
    QVBoxLayout* layout_;
    std::vector<std::function<bool()>> checks_;
};

}  // namespace

bool RunAnimationSettingsDialog(SimulationState& state, Host& host, QWidget* parent) {
    AnimationSettings values = AnimationSettingsOf(state);
    SettingsDialog dialog(QStringLiteral("Animation Settings"), host, parent);
    // Fields are checked in this order, which decides the first one reported.
    QFormLayout* speed = dialog.addGroup(QStringLiteral("Speed"));
    QFormLayout* drawing = dialog.addGroup(QStringLiteral("Drawing"));
    QFormLayout* data = dialog.addGroup(QStringLiteral("Data"));
    dialog.addCheck(drawing, QStringLiteral("Draw axes"), QStringLiteral("drawAxes"), values.drawAxes);
    dialog.addCheck(drawing, QStringLiteral("Draw orbits"), QStringLiteral("drawOrbits"), values.drawOrbits);
    dialog.addCheck(drawing, QStringLiteral("Draw Planets"), QStringLiteral("drawPlanets"),
                    values.drawPlanets);
    dialog.addShown(data, QStringLiteral("bodies"), QStringLiteral("bodyCount"), values.bodyCount);
    dialog.addShown(data, QStringLiteral("Data lines"), QStringLiteral("lineCount"), values.lineCount);
    dialog.addInteger(drawing, QStringLiteral("Points per orbit to be drawn"),
                      QStringLiteral("pointsPerOrbit"), values.pointsPerOrbit, std::pair{1, 10000});
    dialog.addInteger(speed, QStringLiteral("Read file data by step"), QStringLiteral("step"), values.step,
                      std::pair{1, 100000});
    dialog.addInteger(drawing, QStringLiteral("Start from data position"), QStringLiteral("startRow"),
                      values.startRow, std::pair{0, 10000000});
    dialog.addInteger(drawing, QStringLiteral("Sun size"), QStringLiteral("sunSize"), values.sunSize,
                      std::pair{0, 100});
    dialog.addInteger(speed, QStringLiteral("Show one frame per (msec)"), QStringLiteral("frameDelayMs"),
                      values.frameDelayMs, std::pair{1, 10000});
    if (!dialog.run()) return false;
    ApplyAnimationSettings(state, values);
    return true;
}

bool RunSetPositionDialog(SimulationState& state, Host& host, QWidget* parent) {
    PositionSettings values = PositionSettingsOf(state);
    SettingsDialog dialog(QStringLiteral("Set position"), host, parent);
    QFormLayout* form = dialog.addGroup({});
    dialog.addCheck(form, QStringLiteral("show orbits"), QStringLiteral("drawOrbits"), values.drawOrbits);
    dialog.addCheck(form, QStringLiteral("show planets"), QStringLiteral("drawPlanets"), values.drawPlanets);
    dialog.addShown(form, QStringLiteral("max "), QStringLiteral("lineCount"), values.lineCount);
    dialog.addInteger(form, QStringLiteral("Data line No :"), QStringLiteral("position"), values.position,
                      std::nullopt);
    if (!dialog.run()) return false;
    ApplyPositionSettings(state, values);
    return true;
}

bool RunGraphicBoxDialog(SimulationState& state, PlotBox& plot, Host& host, QWidget* parent) {
    BoxSettings values = BoxSettingsOf(state, plot);
    SettingsDialog dialog(QStringLiteral("Graphic Box "), host, parent);
    QFormLayout* box = dialog.addGroup({});
    QFormLayout* square = dialog.addGroup(QStringLiteral("Square Box"));
    dialog.addCheck(square, QStringLiteral("in use"), QStringLiteral("inUse"), values.inUse);
    dialog.addReal(box, QStringLiteral("Xmin = "), QStringLiteral("xmin"), values.xmin);
    dialog.addReal(box, QStringLiteral("Ymin = "), QStringLiteral("ymin"), values.ymin);
    dialog.addReal(box, QStringLiteral("Xmax = "), QStringLiteral("xmax"), values.xmax);
    dialog.addReal(box, QStringLiteral("Ymax = "), QStringLiteral("ymax"), values.ymax);
    dialog.addReal(square, QStringLiteral("size"), QStringLiteral("size"), values.size);
    if (!dialog.run()) return false;
    ApplyBoxSettings(state, plot, values);
    return true;
}

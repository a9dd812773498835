#include "app/settings_dialogs.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "animation/playback_speed.h"
#include "animation/settings.h"
#include "animation/simulation_state.h"
#include "app/settings_templates.h"
#include "simulation/host.h"

namespace {

/// A dialog built from a template whose fields exchange values with
/// variables. OK runs the fields' checks in the order they were bound and
/// closes only when all of them pass; the variables change only then.
class SettingsDialog : public QDialog {
public:
    SettingsDialog(const DialogTemplate& layout, Host& host, QWidget* parent) : QDialog(parent), host_(host) {
        BuildFromTemplate(*this, layout);
    }

    void bindCheck(const char* name, int& field) {
        auto* box = child<QCheckBox>(name);
        box->setChecked(ShownChecked(field));
        checks_.push_back([box, &field] {
            field = box->isChecked() ? 1 : 0;
            return true;
        });
    }

    void bindShown(const char* name, int value) { child<QLineEdit>(name)->setText(QString::number(value)); }

    void bindInteger(const char* name, int& field, std::optional<std::pair<int, int>> range) {
        auto* edit = child<QLineEdit>(name);
        edit->setText(QString::number(field));
        checks_.push_back([this, edit, &field, range] {
            const auto value = ParseIntegerField(edit->text().toStdString());
            if (!value) return refuse(edit, kIntegerMessage);
            if (range && (*value < range->first || *value > range->second))
                return refuse(edit, RangeMessage(range->first, range->second));
            field = *value;
            return true;
        });
    }

    void bindReal(const char* name, double& field) {
        auto* edit = child<QLineEdit>(name);
        edit->setText(QString::fromStdString(FormatRealField(field)));
        checks_.push_back([this, edit, &field] {
            const auto value = ParseRealField(edit->text().toStdString());
            if (!value) return refuse(edit, kNumberMessage);
            field = *value;
            return true;
        });
    }

    void bindSpeed(const char* name, const std::string& shown, SpeedRequest& field) {
        auto* edit = child<QLineEdit>(name);
        edit->setText(QString::fromStdString(shown));
        checks_.push_back([this, edit, &field] {
            const std::optional<SpeedRequest> value = ParseSpeed(edit->text().toStdString());
            if (!value) return refuse(edit, kSpeedMessage);
            field = *value;
            return true;
        });
    }

    /// Sets the text of the template's static `name`.
    void setText(const char* name, const QString& text) { child<QLabel>(name)->setText(text); }

    bool run() { return exec() == QDialog::Accepted; }

    void accept() override {
        for (const auto& check : checks_)
            if (!check()) return;
        QDialog::accept();
    }

private:
    /// The template's control named `name`; every bound name is in the template.
    template <typename Widget>
    Widget* child(const char* name) {
        auto* widget = findChild<Widget*>(QString::fromUtf8(name));
        Q_ASSERT_X(widget, "SettingsDialog", name);
        return widget;
    }

    bool refuse(QLineEdit* edit, const std::string& message) {
        host_.messageBox(message);
        edit->setFocus();
        edit->selectAll();
        return false;
    }

    Host& host_;
    std::vector<std::function<bool()>> checks_;
};

}  // namespace

// Fields are bound in the order they are checked, which decides the first
// one reported.

bool RunAnimationSettingsDialog(SimulationState& state, Host& host, QWidget* parent) {
    AnimationSettings values = AnimationSettingsOf(state);
    SettingsDialog dialog(kAnimationSettingsTemplate, host, parent);
    dialog.bindCheck("drawAxes", values.drawAxes);
    dialog.bindCheck("drawOrbits", values.drawOrbits);
    dialog.bindCheck("drawPlanets", values.drawPlanets);
    dialog.bindShown("bodyCount", values.bodyCount);
    dialog.bindShown("lineCount", values.lineCount);
    dialog.bindInteger("pointsPerOrbit", values.pointsPerOrbit, std::pair{1, 10000});
    dialog.bindInteger("step", values.step, std::pair{1, 100000});
    dialog.bindInteger("startRow", values.startRow, std::pair{0, 10000000});
    dialog.bindInteger("sunSize", values.sunSize, std::pair{0, 100});
    dialog.bindInteger("frameDelayMs", values.frameDelayMs, std::pair{1, 10000});
    if (!dialog.run()) return false;
    ApplyAnimationSettings(state, values);
    return true;
}

bool RunSetPositionDialog(SimulationState& state, Host& host, QWidget* parent) {
    PositionSettings values = PositionSettingsOf(state);
    SettingsDialog dialog(kSetPositionTemplate, host, parent);
    dialog.bindCheck("drawOrbits", values.drawOrbits);
    dialog.bindCheck("drawPlanets", values.drawPlanets);
    dialog.bindShown("lineCount", values.lineCount);
    dialog.bindInteger("position", values.position, std::nullopt);
    if (!dialog.run()) return false;
    ApplyPositionSettings(state, values);
    return true;
}

bool RunGraphicBoxDialog(SimulationState& state, PlotBox& plot, Host& host, QWidget* parent) {
    BoxSettings values = BoxSettingsOf(state, plot);
    SettingsDialog dialog(kGraphicBoxTemplate, host, parent);
    dialog.bindCheck("inUse", values.inUse);
    dialog.bindReal("xmin", values.xmin);
    dialog.bindReal("ymin", values.ymin);
    dialog.bindReal("xmax", values.xmax);
    dialog.bindReal("ymax", values.ymax);
    dialog.bindReal("size", values.size);
    if (!dialog.run()) return false;
    ApplyBoxSettings(state, plot, values);
    return true;
}

bool RunGoToTimeDialog(double& time, Host& host, QWidget* parent) {
    double value = time;
    SettingsDialog dialog(kGoToTimeTemplate, host, parent);
    dialog.bindReal("time", value);
    if (!dialog.run()) return false;
    time = value;
    return true;
}

bool RunSetSpeedDialog(SimulationState& state, Host& host, QWidget* parent) {
    SpeedRequest request;
    SettingsDialog dialog(kSetSpeedTemplate, host, parent);
    const bool inTime = SpeedTimeStep(state).has_value();
    dialog.setText("prompt", inTime
                                 ? QObject::tr("Simulation time per second, or rows per second as 200r:")
                                 : QObject::tr("Rows per second (the rows' times are not evenly spaced):"));
    dialog.setText("unit", QString::fromStdString(SpeedUnit(state)));
    dialog.bindSpeed("speed", SpeedNumber(state), request);
    if (!dialog.run()) return false;
    SetSpeed(state, request);
    return true;
}

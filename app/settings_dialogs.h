#pragma once

class QWidget;
struct SimulationState;
class PlotBox;
class Host;

/// The modal settings dialogs. Each shows the current values, checks the
/// fields in order when OK is pressed (the first bad field is reported
/// through `host`, gets the focus and the dialog stays open) and only then
/// applies them. Each returns true when it closed with OK.

/// Edit > Settings: switches, trail length, step, start row, sun size and
/// timer period.
bool RunAnimationSettingsDialog(SimulationState& state, Host& host, QWidget* parent);
/// View > System position: the current row and two switches.
bool RunSetPositionDialog(SimulationState& state, Host& host, QWidget* parent);
/// View > Graphic box: the world box, or a square box of a given size.
bool RunGraphicBoxDialog(SimulationState& state, PlotBox& plot, Host& host, QWidget* parent);
/// Playback > Go to time: a time, which replaces `time` on OK.
bool RunGoToTimeDialog(double& time, Host& host, QWidget* parent);
/// Playback > Set speed: a speed in simulation time per second (rows per
/// second with "r" after it, or when the rows are not evenly spaced in
/// time), which sets the timer period and the step (SetSpeed) on OK.
bool RunSetSpeedDialog(SimulationState& state, Host& host, QWidget* parent);

#pragma once
#include <QDialog>
#include <vector>

#include "animation/compared_runs.h"

class QListWidget;
struct SimulationState;

/// View > Runs: the runs compared with the one shown, in the order drawn
/// (drag one to move it), each shown while checked; Remove takes the ones
/// selected away. The first run, whose clock the playback runs on, is named
/// above them and stays.
class RunsDialog : public QDialog {
    Q_OBJECT
public:
    RunsDialog(const SimulationState& state, QWidget* parent);
    /// The runs as the dialog leaves them, for ArrangeRuns.
    std::vector<RunPlace> places() const;
    QListWidget* list() const { return list_; }

private:
    QListWidget* list_ = nullptr;
};

#pragma once
#include <QDialog>
#include <vector>

#include "animation/compared_runs.h"

class QListWidget;
struct SimulationState;

/// View > Runs: the runs compared with the one shown, in the order drawn
/// (drag one to move it), each shown while checked; Remove takes the ones
/// selected away. The first run, whose clock the playback runs on (and whose
/// data is followed), is named above them; Make First puts the run selected
/// in its place, and the dialog closes with kMadeFirst.
class RunsDialog : public QDialog {
    Q_OBJECT
public:
    /// What exec returns after Make First.
    static constexpr int kMadeFirst = 2;

    RunsDialog(const SimulationState& state, QWidget* parent);
    /// The runs as the dialog leaves them, for ArrangeRuns.
    std::vector<RunPlace> places() const;
    /// After Make First: the run to make first, by its place among places().
    int first() const { return first_; }
    QListWidget* list() const { return list_; }

private:
    QListWidget* list_ = nullptr;
    int first_ = -1;
};

#include "app/main_frame.h"

#include "app/bodies_dialog.h"

#include "app/playback_bar.h"
#include "plot/plot_box.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QUrl>

#include <QSplitter>
#include "animation/animation_commands.h"
#include "animation/compared_runs.h"
#include "animation/settings.h"
#include "animation/simulation_state.h"
#include "animation/table_loading.h"
#include "app/about_dialog.h"
#include "app/command_ids.h"
#include "app/export_commands.h"
#include "app/follow_watcher.h"
#include "app/frame_commands.h"
#include "app/playback_controls.h"
#include "app/remembered_settings.h"
#include "app/run_commands.h"
#include "app/series_commands.h"
#include "app/series_panel_view.h"
#include "app/settings_commands.h"
#include "app/settings_dialogs.h"
#include "app/simulation_view.h"
#include "app/style_commands.h"
#include "app/table_commands.h"
#include "commands/examples_folder.h"

namespace {

/// The file a drag carries, or an empty string when it carries anything
/// else. It must be exactly one local file, a configuration or a plain data
/// table by its content (KindOfFile), and the drag must offer
/// a copy: the file is only read, and accepting a move could make the source
/// delete it.
QString DroppedFile(const QDropEvent& event) {
    const QMimeData* data = event.mimeData();
    if (!data || !(event.possibleActions() & Qt::CopyAction)) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
    const QString path = urls.front().toLocalFile();
    return KindOfFile(path.toStdString()) != FileKind::Other ? path : QString();
}

}  // namespace

CMainFrame::CMainFrame(SimulationState& state, PlotBox& plot, Host& host, FileDialog& dialog,
                       ExternalEditor& editor, QWidget* parent)
    : QMainWindow(parent),
      state_(state),
      plot_(plot),
      host_(host),
      files_{state, plot, host, dialog, editor},
      commands_(
          state, this,
          [this] {
              if (view_) view_->endDrag();  // a key's command during a drag
          },
          [this](bool repaint) { repaintIf(repaint); }) {
    setWindowTitle(QStringLiteral("Orbivex"));
    view_ = new SimulationView(state_, plot_, this);
    series_ = new SeriesCommands(state_, commands_, *view_, *this, [this](int row) { goToRow(row); });
    setCentralWidget(series_->area());
    createActions();
    playback_ = new PlaybackControls(state_, plot_, host_, *view_, commands_, *this);
    exports_ = new ExportCommands(state_, plot_, *view_, commands_, *this);
    tables_ = new TableCommands(files_, commands_, *this);
    runs_ = new RunCommands(files_, commands_, *this);
    styles_ = new StyleCommands(state_, commands_, *this);
    frames_ = new FrameCommands(state_, plot_, host_, commands_, *view_, *this);
    settings_ = new SettingsCommands(state_, plot_, host_, commands_, *this, [this](const std::string& file) {
        if (!state_.playback.loading) repaintIf(OpenFile(files_, file));
    });
    createMenus();
    createToolBar();
    playback_->addBar();
    playback_->addToMenus(*viewMenu_, *playbackMenu_);
    tables_->addToMenus(*fileMenu_, *viewMenu_);
    runs_->addToMenus(*fileMenu_, *viewMenu_);
    styles_->addToMenu(*viewMenu_);
    frames_->addToMenu(*viewMenu_);
    series_->addToMenu(*viewMenu_);
    exports_->setPanel(series_->panel());
    settings_->watchChoices();
    exports_->addToMenu(*fileMenu_);
    fileMenu_->addSeparator();
    fileMenu_->addAction(action(ID_APP_EXIT));
    createStatusBar();
    setAcceptDrops(true);
    resize(600, 600);
}

void CMainFrame::useSettings(std::unique_ptr<RememberedSettings> store) {
    if (store) {
        restoreGeometry(store->geometry());
        state_.view.remembered = store->view();
    }
    settings_->use(std::move(store));
}

RememberedSettings* CMainFrame::settings() const { return settings_->store(); }

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (RememberedSettings* store = settings()) store->setGeometry(saveGeometry());
    QMainWindow::closeEvent(event);
}

PlaybackBar* CMainFrame::playbackBar() const { return playback_->bar(); }

FollowWatcher* CMainFrame::dataFollow() const { return playback_->follow(); }

void CMainFrame::createActions() {
    auto noRepaint = [](auto command) {
        return [command] {
            command();
            return false;
        };
    };
    commands_.addCommand(ID_RELOAD_SIMULATION, tr("Reload Simulation"), QStringLiteral("Reload Simulation"),
                         [this] { return ReloadSimulation(files_); });
    commands_.addCommand(ID_START_BUTTON, tr("Start animation"),
                         QStringLiteral("Start animation - press twice"),
                         noRepaint([this] { OnStartAnimation(); }));
    commands_.addCommand(ID_STOP_BUTTON, tr("Stop animation"), QStringLiteral("Stop animation"),
                         [this] { return StopAnimation(state_); });
    commands_.addCommand(ID_NEW_SIMULATION, QStringLiteral("New Simulation"),
                         QStringLiteral("Load configuration and data of a simulation "),
                         [this] { return NewSimulation(files_); });
    commands_.addCommand(ID_LOAD_CONFIGURATION, QStringLiteral("Load configuration"),
                         QStringLiteral("Load configuration file"),
                         [this] { return LoadConfigurationFile(files_); });
    commands_.addCommand(ID_RELOAD_DATA, QStringLiteral("Reload data"), QStringLiteral("reload data"),
                         [this] { return ReloadDataFile(files_); });
    commands_.addCommand(ID_ANIMATION_SETTINGS, QStringLiteral("Settings"),
                         QStringLiteral("Animation Settings"), noRepaint([this] { OnAnimationSettings(); }));
    commands_.addCommand(ID_EDIT_BODIES, QStringLiteral("Bodies…"),
                         QStringLiteral("Names, colours and the bodies shown"), [this] {
                             RequestStop(state_);
                             return RunBodiesDialog(state_, plot_, this);
                         });
    commands_.addCommand(ID_EDIT_CONFIGURATION, QStringLiteral("Configuration File"),
                         QStringLiteral("view/edit configuration file"),
                         [this] { return EditConfigurationFile(files_); });
    commands_.addCommand(ID_EDIT_DATA, QStringLiteral("Data File"), QStringLiteral("View data file"),
                         [this] { return EditDataFile(files_); });
    commands_.addCommand(ID_SYSTEM_POSITION, QStringLiteral("System position"), {},
                         noRepaint([this] { OnSystemPosition(); }));
    commands_.addCommand(ID_GRAPHIC_BOX, QStringLiteral("Graphic box"), {},
                         noRepaint([this] { OnGraphicBox(); }));
    commands_.addCommand(ID_REFRESH_SCREEN, QStringLiteral("Refresh screen"), {}, [] { return true; });
    commands_.addCommand(ID_START_ANIMATION, QStringLiteral("Animation"), {},
                         noRepaint([this] { OnStartAnimation(); }));
    commands_.addCommand(ID_STOP_ANIMATION, QStringLiteral("Stop Animation"), {},
                         [this] { return StopAnimation(state_); });
    commands_.addCommand(ID_RESET_POSITION, tr("Reset position"),
                         QStringLiteral("Refresh data and screen, set Pos=0"),
                         [this] { return ResetPosition(state_); });
    commands_.addCommand(ID_INCREASE_SPEED, tr("Faster"), QStringLiteral("Increase animation speed"),
                         [this] { return IncreaseSpeed(state_); });
    commands_.addCommand(ID_DECREASE_SPEED, tr("Slower"), QStringLiteral("Decrease Animation Speed"),
                         [this] { return DecreaseSpeed(state_); });
    commands_.addCommand(ID_TOGGLE_FULL_WINDOW, QStringLiteral("On/off full window"), {},
                         [this] { return ToggleFullWindow(state_, plot_); });
    commands_.addCommand(
        ID_HELP_EXAMPLES, tr("&Examples..."), tr("Open one of the example simulations"), [this] {
            return OpenExample(files_, ExamplesFolder(QCoreApplication::applicationDirPath().toStdString()));
        });
    commands_.addCommand(ID_APP_ABOUT, QStringLiteral("&About Orbivex..."),
                         tr("Display program information and version"), noRepaint([this] { OnAbout(); }));
    commands_.addCommand(ID_APP_EXIT, QStringLiteral("E&xit"), tr("Quit the application"),
                         noRepaint([this] { close(); }));

    const QStyle* look = style();
    action(ID_RELOAD_SIMULATION)->setIcon(look->standardIcon(QStyle::SP_BrowserReload));
    action(ID_RESET_POSITION)->setIcon(look->standardIcon(QStyle::SP_MediaSkipBackward));
    action(ID_START_BUTTON)->setIcon(look->standardIcon(QStyle::SP_MediaPlay));
    action(ID_STOP_BUTTON)->setIcon(look->standardIcon(QStyle::SP_MediaStop));
    action(ID_INCREASE_SPEED)->setIcon(look->standardIcon(QStyle::SP_MediaSeekForward));
    action(ID_DECREASE_SPEED)->setIcon(look->standardIcon(QStyle::SP_MediaSeekBackward));
    action(ID_NEW_SIMULATION)->setShortcut(QKeySequence::Open);
    action(ID_APP_EXIT)->setShortcut(QKeySequence::Quit);
    action(ID_RELOAD_SIMULATION)->setShortcut(QKeySequence(Qt::Key_F5));
}

void CMainFrame::createMenus() {
    fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
    editMenu_ = menuBar()->addMenu(QStringLiteral("&Edit"));
    viewMenu_ = menuBar()->addMenu(QStringLiteral("&View"));
    playbackMenu_ = menuBar()->addMenu(tr("&Playback"));
    helpMenu_ = menuBar()->addMenu(QStringLiteral("&Help"));
    for (int id : {ID_NEW_SIMULATION, ID_LOAD_CONFIGURATION, ID_RELOAD_DATA})
        fileMenu_->addAction(action(id));
    editMenu_->addAction(action(ID_ANIMATION_SETTINGS));
    editMenu_->addSeparator();
    editMenu_->addAction(action(ID_EDIT_CONFIGURATION));
    editMenu_->addAction(action(ID_EDIT_DATA));
    // The classic items keep their places; the newer ones follow them.
    editMenu_->addSeparator();
    editMenu_->addAction(action(ID_EDIT_BODIES));
    viewMenu_->addAction(action(ID_START_ANIMATION));
    viewMenu_->addAction(action(ID_STOP_ANIMATION));
    viewMenu_->addSeparator();
    for (int id : {ID_SYSTEM_POSITION, ID_GRAPHIC_BOX, ID_REFRESH_SCREEN, ID_TOGGLE_FULL_WINDOW})
        viewMenu_->addAction(action(id));
    viewMenu_->addSeparator();
    helpMenu_->addAction(action(ID_HELP_EXAMPLES));
    helpMenu_->addAction(action(ID_APP_ABOUT));
    settings_->addToMenus(*fileMenu_, *helpMenu_);
}

void CMainFrame::createToolBar() {
    toolBar_ = new QToolBar(tr("Toolbar"), this);
    toolBar_->setObjectName(QStringLiteral("toolbar"));
    toolBar_->setMovable(true);
    toolBar_->setFloatable(true);
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    toolBar_->setIconSize(QSize(16, 16));
    toolBar_->addAction(action(ID_RELOAD_SIMULATION));
    toolBar_->addAction(action(ID_RESET_POSITION));
    toolBar_->addSeparator();
    toolBar_->addAction(action(ID_START_BUTTON));
    toolBar_->addAction(action(ID_STOP_BUTTON));
    toolBar_->addSeparator();
    toolBar_->addAction(action(ID_INCREASE_SPEED));
    toolBar_->addAction(action(ID_DECREASE_SPEED));
    // A button's tooltip is its prompt, so that hints such as "press twice"
    // are where the pointer is.
    for (QAction* button : toolBar_->actions())
        if (!button->isSeparator()) button->setToolTip(button->statusTip());
    addToolBar(Qt::TopToolBarArea, toolBar_);

    // View > Toolbar and Status Bar: checkable, showing or hiding the bars.
    QAction* showToolBar = toolBar_->toggleViewAction();
    showToolBar->setText(QStringLiteral("&Toolbar"));
    showToolBar->setStatusTip(tr("Show or hide the toolbar"));
    viewMenu_->addAction(commands_.add(ID_VIEW_TOOLBAR, showToolBar));
    auto* showStatusBar = new QAction(QStringLiteral("&Status Bar"), this);
    showStatusBar->setCheckable(true);
    showStatusBar->setChecked(true);
    showStatusBar->setStatusTip(tr("Show or hide the status bar"));
    connect(showStatusBar, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
    viewMenu_->addAction(commands_.add(ID_VIEW_STATUS_BAR, showStatusBar));
}

void CMainFrame::createStatusBar() {
    ready_ = new QLabel(QStringLiteral("Ready"));
    statusBar()->addWidget(ready_, 1);
    pointer_ = new QLabel;
    statusBar()->addPermanentWidget(pointer_);
    connect(view_, &SimulationView::pointerMoved, pointer_, &QLabel::setText);
    connect(series_->panel(), &SeriesPanelView::pointerMoved, pointer_, &QLabel::setText);
    // The end of the data is said here as in the playback bar, for as long.
    connect(playbackBar(), &PlaybackBar::endNoteChanged, ready_, [this](const QString& note) {
        ready_->setText(note.isEmpty() ? QStringLiteral("Ready") : note);
    });
    const char* names[] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        indicators_[i] = new QLabel(QString::fromLatin1(names[i]));
        indicators_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        indicators_[i]->setAlignment(Qt::AlignCenter);
        statusBar()->addPermanentWidget(indicators_[i]);
    }
    updateIndicators();
}

void CMainFrame::updateIndicators() {
    // The toolkit does not tell the lock states, so the indicators stay dim.
    for (QLabel* indicator : indicators_) indicator->setEnabled(false);
}

void CMainFrame::repaintIf(bool repaint) {
    if (frames_ && frames_->refresh()) repaint = true;
    if (repaint) view_->invalidate();
    tables_->refresh();
    runs_->refresh();
    styles_->refresh();
    series_->showChoice();
    settings_->afterCommand();
    playback_->afterCommand();
}

void CMainFrame::openAtStart(const std::string& path) { repaintIf(OpenFile(files_, path)); }

std::string CMainFrame::showFrame(const std::string& text) { return frames_->choose(text); }

void CMainFrame::applyViewChoices(const ViewRequest& request) {
    ApplyViewChoices(state_, plot_, request);
    // Checking an item runs its toggle, which sets the same value again.
    action(ID_EQUAL_ASPECT)->setChecked(plot_.equalAspect != 0);
    action(ID_FADE_TRAILS)->setChecked(state_.view.fadeTrails != 0);
    action(ID_LOOP)->setChecked(state_.view.loopPlayback != 0);
    const int trails[] = {ID_TRAIL_AHEAD, ID_TRAIL_BEHIND, ID_TRAIL_BOTH};
    action(trails[static_cast<int>(state_.view.trailMode)])->setChecked(true);
    styles_->refresh();
    tables_->refresh();
    series_->showChoice();
    view_->invalidate();
}

std::string CMainFrame::applyToLoaded(const ViewRequest& request) {
    const std::string problem = ApplyToLoaded(state_, plot_, request);
    frames_->showChoice();
    series_->showChoice();
    if (PlaybackBar* bar = playbackBar()) bar->refresh();
    view_->invalidate();
    return problem;
}

bool CMainFrame::addRuns(const std::vector<std::string>& paths, const std::vector<std::string>& names) {
    const bool added = AddRuns(state_, plot_, host_, paths, names);
    repaintIf(true);
    return added;
}

std::string CMainFrame::saveConfiguration(const QString& path, bool classicData) {
    return tables_->saveConfiguration(path, classicData);
}

void CMainFrame::OnStartAnimation() {
    if (dataFollow()->waitToStart()) return;
    if (StartAnimation(state_, host_)) view_->invalidate();
}

void CMainFrame::OnAnimationSettings() {
    RequestStop(state_);
    RunAnimationSettingsDialog(state_, host_, this);
    state_.playback.position = state_.loaded().fields.startRow;
    view_->invalidate();
}

void CMainFrame::OnSystemPosition() {
    RequestStop(state_);
    RunSetPositionDialog(state_, host_, this);
    view_->invalidate();
}

void CMainFrame::OnGraphicBox() {
    RequestStop(state_);
    if (RunGraphicBoxDialog(state_, plot_, host_, this)) view_->invalidate();
}

void CMainFrame::goToRow(int row) { playback_->goToRow(row); }

std::string CMainFrame::exportPage(const QString& path) { return exports_->exportPage(path); }

std::string CMainFrame::exportPicture(const QString& path, int scale, bool panelOnly) {
    return exports_->exportPicture(path, scale, panelOnly);
}

std::string CMainFrame::exportVideo(const QString& path, std::optional<int> ticks, double fps) {
    return exports_->exportVideo(path, ticks, fps);
}

void CMainFrame::OnAbout() {
    AboutDialog about(this);
    about.exec();
}

void CMainFrame::focusInEvent(QFocusEvent* event) {
    QMainWindow::focusInEvent(event);
    view_->setFocus();
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) view_->setFocus();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedFile(*event).isEmpty()) return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QString path = DroppedFile(*event);
    if (path.isEmpty()) return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // With Ctrl held the file is another run to compare (Shift is a file
    // manager's move, which a drop here never is).
    const bool asRun = event->modifiers() & Qt::ControlModifier;
    // The source of the drag waits until the drop returns, so the load and
    // any message box it shows come after.
    QMetaObject::invokeMethod(
        this,
        [this, file = path.toStdString(), asRun] {
            if (!state_.playback.loading)
                repaintIf(asRun ? AddRunFile(files_, file) : OpenFile(files_, file));
        },
        Qt::QueuedConnection);
}

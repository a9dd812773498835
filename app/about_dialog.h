#pragma once
#include <QDialog>
#include <QIcon>

/// The About box: icon, name and version, credits and an OK button.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

/// The application's icon: a sun with a planet on its orbit, the SVG of the
/// desktop entry built into the program (drawn by Qt's SVG icon engine).
QIcon ApplicationIcon();

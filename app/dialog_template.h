#pragma once
#include <span>

class QDialog;

/// What a template row creates.
enum class ControlKind {
    AcceptButton,  ///< the default push button; clicking it calls accept()
    RejectButton,  ///< a push button that calls reject()
    Group,         ///< a titled frame drawn behind the controls inside its rectangle
    Static,        ///< left-aligned text that wraps at its width; "\n" starts a new line
    Edit,          ///< a one-line field that scrolls horizontally
    CheckBox,
};

/// Extra styles of an edit field.
enum EditStyle : unsigned {
    kPlainEdit = 0,
    kReadOnly = 1,
    kRightAligned = 2,
};

/// One control of a dialog: its kind, text, rectangle in dialog units and,
/// for fields, the object name the exchange code finds it by.
struct TemplateControl {
    ControlKind kind;
    const char* text;
    int x, y, w, h;
    const char* name = "";
    unsigned style = kPlainEdit;
};

/// A fixed-size dialog: caption, size in dialog units and its controls in
/// tab order.
struct DialogTemplate {
    const char* caption;
    int w, h;
    std::span<const TemplateControl> controls;
};

/// Creates the controls of `layout` on `dialog` in table order, which is
/// also their tab order, each placed at its rectangle. A horizontal dialog
/// unit is a quarter of the font's average letter width and a vertical one
/// an eighth of its height, so the layout scales with the dialog's font.
/// The dialog gets the template's caption and a fixed size, and opens with
/// the focus in its first edit field.
void BuildFromTemplate(QDialog& dialog, const DialogTemplate& layout);

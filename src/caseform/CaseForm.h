#pragma once

#include "records/CaseFields.h"

#include <QString>
#include <functional>
#include <optional>

class QTabWidget;
class QLabel;
class QPushButton;
class QWidget;
class RecordBinder;
class TextBox;

// The main window's controls that the record handlers work on. The window
// owns them; the handlers receive this view of them.
struct CaseForm {
    TextBox *txtFields[CaseFields::BoundFieldCount] = {};
    QLabel *lblLabels[CaseFields::BoundFieldCount] = {};
    RecordBinder *Data1[CaseFields::PaneCount] =
        {}; // the panes' binders; their bars are the window's
    TextBox *txtFileNumber = nullptr;
    TextBox *txtCaseFacts = nullptr;
    TextBox *txtCopies = nullptr;
    TextBox *txtBackCopies = nullptr;
    QTabWidget *SSTab2 = nullptr;
    std::function<void(const QString &)> setStatusText; // the status bar's first panel
    std::function<QString()> statusText;
    // The lookup box's text when the employee pane last showed what it asks
    // for (at start and after Reset: empty, every employee); unset after a
    // lookup failed, so the next key runs it again.
    std::optional<QString> lookupText = QString();

    // Gives a box the input focus, but only while its page is the one shown:
    // a box on a hidden page would otherwise take the steward's keystrokes
    // unseen.
    void focus(TextBox *box) const;
    int pageOf(const QWidget *w) const;
};

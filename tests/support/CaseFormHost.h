#pragma once

#include "caseform/CaseForm.h"

#include <QStringList>
#include <QWidget>

class NavigatorBar;
class RecordBinder;
class TextBox;

// The record panes as the main window shows them, but without the window:
// the two panes' binders with their navigator bars, bound boxes and labels,
// the lookup box, the copies boxes and the case facts editor on a plain
// widget's two tab pages, and the record handlers the window connects to
// them. Every status
// line the handlers tell is recorded in order. Nothing is opened: the
// panes get their database from the test.
class CaseFormHost
{
  public:
    CaseFormHost();
    virtual ~CaseFormHost();
    CaseFormHost(const CaseFormHost &) = delete;
    CaseFormHost &operator=(const CaseFormHost &) = delete;

    TextBox *field(int field) const { return form.txtFields[field]; }
    RecordBinder *pane(int page) const { return form.Data1[page]; }
    NavigatorBar *bar(int page) const { return bars[page]; }
    // Turns to a tab page, as a click on its tab does.
    void showPage(int page);
    // The last status line; empty when none was told.
    QString status() const { return statusLines.isEmpty() ? QString() : statusLines.last(); }

    QWidget window; // the parent of dialogs and grid windows, never shown
    CaseForm form;
    NavigatorBar *bars[CaseFields::PaneCount] = {};
    QStringList statusLines;
};

#pragma once

#include "caseform/RecordBinder.h"
#include "platform/TextBox.h"

#include <QAction>
#include <QLabel>
#include <QObject>
#include <QPushButton>
#include <QString>
#include <QTabWidget>
#include <stdexcept>

// The main window's controls, found as a person reading the form would
// name them: by their object names. A control that is not there fails the
// test that asked for it.
template <class T> T *windowControl(const QObject &window, const QString &name)
{
    if (T *control = window.findChild<T *>(name))
        return control;
    throw std::runtime_error("the window has no control " + name.toStdString());
}

// cmdAdd, cmdDelete, cmdRefresh, cmdUpdate or cmdGrid of a page.
inline QPushButton *recordCommand(const QObject &window, const char *name, int page)
{
    return windowControl<QPushButton>(window,
                                      QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(page));
}

inline QPushButton *windowButton(const QObject &window, const char *name)
{
    return windowControl<QPushButton>(window, QLatin1String(name));
}

inline QAction *windowAction(const QObject &window, const char *name)
{
    return windowControl<QAction>(window, QLatin1String(name));
}

// The tab control whose two pages hold the employee and the grievance.
inline QTabWidget *windowTabs(const QObject &window)
{
    return windowControl<QTabWidget>(window, QStringLiteral("SSTab2"));
}

// The box bound to a field (CaseFields::Field).
inline TextBox *windowField(const QObject &window, int field)
{
    return windowControl<TextBox>(window, QStringLiteral("txtFields_%1").arg(field));
}

// The caption of the box bound to a field.
inline QLabel *windowLabel(const QObject &window, int field)
{
    return windowControl<QLabel>(window, QStringLiteral("lblLabels_%1").arg(field));
}

// txtFileNumber, txtCaseFacts, txtCopies or txtBackCopies.
inline TextBox *windowBox(const QObject &window, const char *name)
{
    return windowControl<TextBox>(window, QLatin1String(name));
}

// The binder of a record pane (its navigator bar has the same name).
inline RecordBinder *windowPane(const QObject &window, int page)
{
    return windowControl<RecordBinder>(window, QStringLiteral("Data1_%1").arg(page));
}

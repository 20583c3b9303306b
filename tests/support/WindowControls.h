#pragma once

#include <QAction>
#include <QObject>
#include <QPushButton>
#include <QString>
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

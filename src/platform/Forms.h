#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

// The collection of loaded windows, earliest first, as the classic runtime
// keeps it: position 0 is the main window.
namespace Forms
{
void add(QWidget *window);
void remove(QWidget *window);
// Loaded windows that still exist, in load order.
QList<QWidget *> loaded();
} // namespace Forms

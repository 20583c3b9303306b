#include "platform/Forms.h"

#include <QCoreApplication>
#include <QObject>

namespace Forms
{

namespace
{
QList<QPointer<QWidget>> &windows()
{
    static QList<QPointer<QWidget>> list;
    return list;
}
} // namespace

void add(QWidget *window)
{
    windows().append(window);
    // The list outlives every window; the application is the one object
    // that is there as long as windows come and go.
    QObject::connect(window, &QObject::destroyed, QCoreApplication::instance(),
                     [window] { remove(window); });
}

void remove(QWidget *window)
{
    windows().removeIf([window](const QPointer<QWidget> &w) { return w.isNull() || w == window; });
}

QList<QWidget *> loaded()
{
    QList<QWidget *> out;
    for (const auto &w : std::as_const(windows()))
        if (w)
            out.append(w);
    return out;
}

} // namespace Forms

#pragma once

#include <QObject>
#include <QString>

// What a record binder needs of a box it binds to a field: its text, and a
// notification raised synchronously inside every change of it, whether the
// steward or an assignment made the change.
class BoundBox : public QObject
{
    Q_OBJECT
  public:
    using QObject::QObject;

    virtual QString text() const = 0;
    virtual void setText(const QString &text) = 0;

  Q_SIGNALS:
    void changed();
};

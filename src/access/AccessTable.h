#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// A column of an Access table as the reader reports it.
struct AccessColumn {
    // libmdb's type numbers, as Jet stores them.
    enum Type {
        YesNo = 0x01,
        Byte = 0x02,
        Integer = 0x03,
        LongInteger = 0x04,
        Currency = 0x05,
        Single = 0x06,
        Double = 0x07,
        DateTime = 0x08,
        Binary = 0x09,
        Text = 0x0a,
        OleObject = 0x0b,
        Memo = 0x0c,
        ReplicationId = 0x0f,
        Decimal = 0x10,
    };

    QString name;
    int type = Text;
    int size = 0; // bytes, as stored

    // Pictures and other binary data: no box shows them, so they are never
    // imported and always read as empty.
    bool binary() const { return type == Binary || type == OleObject; }
    // The type as Access names it, for the steward.
    QString typeName() const;
};

struct AccessTable {
    QString name;
    qint64 rows = 0; // as the table's definition counts them
    QList<AccessColumn> columns;

    QStringList columnNames() const;
};

// One value of a row: empty (never a text "NULL"), or text. A value longer
// than any field could hold may arrive cut, and says so.
struct AccessValue {
    bool null = true;
    bool cut = false;
    QString text;
};
using AccessRow = QList<AccessValue>;

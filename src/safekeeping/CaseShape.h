#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What a file must hold to be a case database: its tables and, for each,
// the fields every one of them must have. The data layer's schema fills it
// in; the safekeeping jobs know no table of their own.
struct TableShape {
    QString name;
    QStringList fields;
};

using CaseShape = QList<TableShape>;

#pragma once

#include "access/AccessTable.h"

#include <QLocale>
#include <QString>

// The text a value of an Access table showed in the old program's boxes,
// from the form the reader program sends (libmdb's, with dates as
// "yyyy-MM-dd HH:mm:ss" and yes/no as 1 or 0):
//
//   Text, Memo, Replication ID   as stored
//   Byte, Integer, Long Integer  the number, e.g. -1205 (no thousands mark)
//   Single, Double               up to 7 / 15 significant digits, the
//                                locale's decimal mark, e.g. 444.555
//   Currency, Decimal            the amount without trailing zeros, e.g. 3.5
//   Yes/No                       True or False
//   Date/Time                    the date in the locale's short date form;
//                                a time of day other than midnight follows
//                                in its long time form (no time zone); a
//                                time alone (Access's day 0) shows alone
namespace AccessText
{

QString shown(const AccessColumn &column, const QString &stored, const QLocale &locale = {});

} // namespace AccessText

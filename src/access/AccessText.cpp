#include "access/AccessText.h"

#include <QDateTime>

namespace
{

// Access counts days from 30 December 1899: a time typed without a date
// is stored on that day.
const QDate DayZero(1899, 12, 30);

QString number(const QString &stored, const QLocale &locale)
{
    QString s = stored;
    if (s.contains(QLatin1Char('.'))) {
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
    }
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s.replace(QLatin1Char('.'), locale.decimalPoint());
}

QString floating(const QString &stored, int digits, const QLocale &locale)
{
    bool ok = false;
    const double d = stored.toDouble(&ok);
    if (!ok)
        return stored;
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(d, 'g', digits).replace(QLatin1Char('e'), QLatin1Char('E'));
}

QString longTime(const QTime &time, const QLocale &locale)
{
    // The long form names the time zone in some locales; a stored time has none.
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return locale.toString(time, format.trimmed());
}

QString dateTime(const QString &stored, const QLocale &locale)
{
    const QDateTime dt = QDateTime::fromString(stored, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid())
        return stored;
    const QTime time = dt.time();
    if (dt.date() == DayZero && time != QTime(0, 0))
        return longTime(time, locale);
    const QString date = locale.toString(dt.date(), QLocale::ShortFormat);
    return time == QTime(0, 0) ? date : date + QLatin1Char(' ') + longTime(time, locale);
}

} // namespace

namespace AccessText
{

QString shown(const AccessColumn &column, const QString &stored, const QLocale &locale)
{
    switch (column.type) {
    case AccessColumn::YesNo:
        return stored == QLatin1String("0") ? QStringLiteral("False") : QStringLiteral("True");
    case AccessColumn::Currency:
    case AccessColumn::Decimal:
        return number(stored, locale);
    case AccessColumn::Single:
        return floating(stored, 7, locale);
    case AccessColumn::Double:
        return floating(stored, 15, locale);
    case AccessColumn::DateTime:
        return dateTime(stored, locale);
    default:
        return stored;
    }
}

} // namespace AccessText

#include "records/DateBoxReading.h"

#include <QStringList>

namespace
{

constexpr int FirstYear = 1900;
constexpr int LastYear = 2199;

QDate plausible(QDate d)
{
    return d.isValid() && d.year() >= FirstYear && d.year() <= LastYear ? d : QDate();
}

// The formats with a month by name that Qt's parser is asked to read.
const QStringList NamedMonth = {
    QStringLiteral("d MMMM yyyy"),  QStringLiteral("d MMM yyyy"),   QStringLiteral("d. MMMM yyyy"),
    QStringLiteral("d. MMM yyyy"),  QStringLiteral("d MMMM, yyyy"), QStringLiteral("MMMM d, yyyy"),
    QStringLiteral("MMM d, yyyy"),  QStringLiteral("MMMM d yyyy"),  QStringLiteral("MMM d yyyy"),
    QStringLiteral("MMM. d, yyyy"), QStringLiteral("d MMM. yyyy"),  QStringLiteral("d-MMM-yyyy"),
};

// A text of three runs of digits with one separator between them.
struct Numbers {
    QStringList parts;
    QChar separator;
};

bool numbersOnly(const QString &text, Numbers *out)
{
    for (const QChar sep : {u'/', u'.', u'-'}) {
        const QStringList parts = text.split(sep);
        if (parts.size() != 3)
            continue;
        bool digits = true;
        for (const QString &p : parts) {
            digits = digits && !p.isEmpty() && p.size() <= 4;
            for (const QChar c : p)
                digits = digits && c >= u'0' && c <= u'9';
        }
        if (digits) {
            *out = {parts, sep};
            return true;
        }
    }
    return false;
}

QDate readNumbers(const Numbers &n, bool dayFirst)
{
    const QString sep(n.separator);
    if (n.parts.first().size() == 4)
        return QDate::fromString(n.parts.join(sep), QStringLiteral("yyyy%1M%1d").arg(sep));
    const int yearDigits = int(n.parts.last().size());
    if (yearDigits != 2 && yearDigits != 4)
        return {};
    const QString order = dayFirst ? QStringLiteral("d%1M%1") : QStringLiteral("M%1d%1");
    const QString format =
        order.arg(sep) + (yearDigits == 4 ? QStringLiteral("yyyy") : QStringLiteral("yy"));
    const QDate d = QDate::fromString(n.parts.join(sep), format);
    // Qt reads a two-digit year as one of the 1900s.
    return yearDigits == 2 && d.isValid() ? d.addYears(100) : d;
}

} // namespace

namespace DateBoxReading
{

bool dayFirst(const QLocale &locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype day = format.indexOf(u'd'), month = format.indexOf(u'M'),
                    year = format.indexOf(u'y');
    return day >= 0 && month > day && (year < 0 || year > month);
}

bool needsOrder(const QString &text, const QLocale &locale)
{
    Numbers n;
    const QString t = text.simplified();
    if (!numbersOnly(t, &n) || n.parts.first().size() == 4)
        return false;
    return read(t, NumericOrder::Unset, locale).isNull();
}

QDate read(const QString &text, NumericOrder chosen, const QLocale &locale)
{
    const QString t = text.simplified();
    if (t.isEmpty())
        return {};
    if (const QDate iso = QDate::fromString(t, Qt::ISODate); iso.isValid())
        return plausible(iso);
    Numbers n;
    if (numbersOnly(t, &n)) {
        if (n.parts.first().size() == 4)
            return plausible(readNumbers(n, false));
        const bool dots = n.separator == u'.';
        if (chosen == NumericOrder::Unset && !(dots && dayFirst(locale)))
            return {};
        const bool day = chosen == NumericOrder::Unset ? true : chosen == NumericOrder::DayFirst;
        return plausible(readNumbers(n, day));
    }
    const QLocale english(QLocale::English);
    for (const QLocale &language : {english, locale})
        for (const QString &format : NamedMonth)
            if (const QDate d = language.toDate(t, format); d.isValid())
                return plausible(d);
    return {};
}

} // namespace DateBoxReading

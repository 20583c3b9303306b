#include "safekeeping/FieldMatch.h"

#include "safekeeping/SafekeepingTexts.h"

using namespace SafekeepingTexts;

bool FieldMatch::header(const QStringList &columns, CsvPreview *p,
                        const QHash<QString, QString> &chosen)
{
    m_columnField.clear();
    QList<bool> taken(m_fields.size(), false);
    for (const QString &column : columns) {
        const QString name = column.trimmed();
        p->header << name;
        const QString wanted = chosen.value(name.toLower(), name);
        int match = -1;
        for (int i = 0; i < m_fields.size() && match < 0; ++i) {
            if (m_fields.at(i).name.compare(wanted, Qt::CaseInsensitive) == 0)
                match = i;
        }
        if (match >= 0 && taken.at(match)) {
            p->error = QString::fromUtf8(ImportDuplicateColumn).arg(name);
            return false;
        }
        m_columnField << match;
        if (match < 0) {
            p->ignored << name;
        } else {
            taken[match] = true;
            p->matched << m_fields.at(match).name;
        }
    }
    for (int i = 0; i < m_fields.size(); ++i) {
        if (!taken.at(i))
            p->missing << m_fields.at(i).name;
    }
    if (p->matched.isEmpty()) {
        p->error =
            QString::fromUtf8(ImportNothingMatches).arg(p->header.join(QStringLiteral(", ")));
        return false;
    }
    m_matched = p->matched;
    return true;
}

std::optional<QVariant> FieldMatch::value(int index, const QVariant &value, qint64 number,
                                          QString *error) const
{
    if (value.isNull())
        return QVariant();
    const QString text = withCrLf(value.toString());
    const CsvColumn &column = m_fields.at(index);
    // SQLite would store it, but text ends at it for every reader.
    if (text.contains(QChar(0))) {
        *error = QString::fromUtf8(ImportNul).arg(number).arg(column.name);
        return std::nullopt;
    }
    if (column.maxLength > 0 && text.size() > column.maxLength) {
        *error = QString::fromUtf8(ImportTooLong)
                     .arg(number)
                     .arg(column.name)
                     .arg(text.size())
                     .arg(column.maxLength);
        return std::nullopt;
    }
    return QVariant(text);
}

QString FieldMatch::withCrLf(const QString &value)
{
    if (!value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r')))
        return value;
    QString out;
    out.reserve(value.size() + 8);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            out += QStringLiteral("\r\n");
            if (c == QLatin1Char('\r') && i + 1 < value.size() &&
                value.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

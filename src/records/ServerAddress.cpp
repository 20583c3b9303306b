#include "records/ServerAddress.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>
#include <libpq-fe.h>

#include <memory>

namespace
{

// The keywords with a box of their own in the choice, and the one never kept.
const char *const OwnBoxes[] = {"host", "port", "dbname", "user", "password"};

using Options = std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)>;

Options parse(const QString &text, QString *error)
{
    char *message = nullptr;
    Options parsed(PQconninfoParse(text.toUtf8().constData(), &message), &PQconninfoFree);
    if (!parsed && error)
        *error = message ? QString::fromUtf8(message).trimmed()
                         : QStringLiteral("not a connection string");
    PQfreemem(message);
    return parsed;
}

QString encoded(const QString &part)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(part));
}

// A conninfo value as libpq reads it back: in single quotes when it needs them.
QString quoted(const QString &value)
{
    const bool plain = !value.isEmpty() && !value.contains(QLatin1Char(' ')) &&
                       !value.contains(QLatin1Char('\'')) && !value.contains(QLatin1Char('\\'));
    if (plain)
        return value;
    QString v = value;
    v.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    v.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

// The password setting of a URI's query or of a key=value string: the key
// at a word's start, then the value, quoted or up to the next separator.
const QRegularExpression &passwordSetting()
{
    static const QRegularExpression setting(
        QStringLiteral("(?:^|(?<=[?&\\s]))password\\s*=\\s*('(?:[^'\\\\]|\\\\.)*'?|[^&\\s]*)"),
        QRegularExpression::CaseInsensitiveOption);
    return setting;
}

// Where a URI's password stands: from the ':' after the user name to the
// last '@', which libpq would read the same or refuse.
std::optional<std::pair<qsizetype, qsizetype>> uriPassword(const QString &location)
{
    const qsizetype scheme = location.indexOf(QLatin1String("://"));
    if (scheme < 0)
        return std::nullopt;
    const qsizetype from = scheme + 3;
    const qsizetype at = location.lastIndexOf(u'@');
    const qsizetype colon = location.indexOf(u':', from);
    if (at < from || colon < 0 || colon > at)
        return std::nullopt;
    return std::make_pair(colon, at);
}

} // namespace

QString ServerAddress::withoutPassword(const QString &location)
{
    // What libpq reads is rebuilt from its parts, which never hold a password.
    if (const std::optional<ServerAddress> parts = fromLocation(location)) {
        const QString uri = parts->toUri();
        if (!uri.isEmpty())
            return uri;
    }
    QString out = location;
    if (const auto password = uriPassword(out))
        out.remove(password->first, password->second - password->first);
    out.remove(passwordSetting());
    // A setting taken out of a URI's query leaves its separator behind.
    out.replace(QRegularExpression(QStringLiteral("([?&])&+")), QStringLiteral("\\1"));
    out.replace(QRegularExpression(QStringLiteral("[?&]$")), QString());
    return out.trimmed();
}

QString ServerAddress::hidingPassword(const QString &text, const QString &location)
{
    QStringList secrets;
    if (const auto password = uriPassword(location))
        secrets << location.mid(password->first + 1, password->second - password->first - 1);
    QRegularExpressionMatchIterator settings = passwordSetting().globalMatch(location);
    while (settings.hasNext()) {
        QString value = settings.next().captured(1);
        if (value.startsWith(u'\''))
            value = value.mid(1).chopped(value.endsWith(u'\'') && value.size() > 1 ? 1 : 0);
        secrets << value;
    }
    QString out = text;
    for (const QString &secret : std::as_const(secrets)) {
        if (secret.isEmpty())
            continue;
        for (const QString &form : {secret, QUrl::fromPercentEncoding(secret.toUtf8())})
            out.replace(form, QStringLiteral("***"));
    }
    return out;
}

QString ServerAddress::toUri(QString *error) const
{
    QStringList query;
    if (!options.trimmed().isEmpty()) {
        QString why;
        const Options parsed = parse(options.trimmed(), &why);
        if (!parsed) {
            if (error)
                *error =
                    QStringLiteral("The further options are not libpq settings (%1).").arg(why);
            return {};
        }
        for (PQconninfoOption *o = parsed.get(); o->keyword; ++o) {
            if (!o->val)
                continue;
            const QString key = QString::fromUtf8(o->keyword);
            for (const char *own : OwnBoxes) {
                if (key == QLatin1String(own)) {
                    if (error)
                        *error = key == QLatin1String("password")
                                     ? QStringLiteral("A password is never kept with the "
                                                      "choice: the server asks for it.")
                                     : QStringLiteral("Give the %1 in its own box, not among "
                                                      "the further options.")
                                           .arg(key == QLatin1String("dbname")
                                                    ? QStringLiteral("database")
                                                    : key);
                    return {};
                }
            }
            query << encoded(key) + QLatin1Char('=') + encoded(QString::fromUtf8(o->val));
        }
    }
    bool portNumber = true;
    const int portValue = port.trimmed().toInt(&portNumber);
    if (!port.trimmed().isEmpty() && (!portNumber || portValue < 1 || portValue > 65535)) {
        if (error)
            *error = QStringLiteral("The port is not usable: give a number from 1 to 65535.");
        return {};
    }
    // A host that holds a ':' (an IPv6 address) goes in brackets; any other
    // host, a socket folder too, is percent-encoded as a whole.
    const QString h = host.trimmed();
    const QString hostPart =
        h.contains(QLatin1Char(':')) && !h.startsWith(QLatin1Char('/'))
            ? QLatin1Char('[') + QString(h).remove(QLatin1Char('[')).remove(QLatin1Char(']')) +
                  QLatin1Char(']')
            : encoded(h);
    QString uri = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        uri += encoded(user) + QLatin1Char('@');
    uri += hostPart;
    if (!port.trimmed().isEmpty())
        uri += QLatin1Char(':') + encoded(port.trimmed());
    uri += QLatin1Char('/') + encoded(database);
    if (!query.isEmpty())
        uri += QLatin1Char('?') + query.join(QLatin1Char('&'));
    // What libpq cannot read back is no address (a port of letters, say).
    QString why;
    if (!parse(uri, &why)) {
        if (error)
            *error = QStringLiteral("The server's address is not usable (%1).").arg(why);
        return {};
    }
    return uri;
}

std::optional<ServerAddress> ServerAddress::fromLocation(const QString &location, QString *error)
{
    const Options parsed = parse(location, error);
    if (!parsed)
        return std::nullopt;
    ServerAddress a;
    QStringList rest;
    for (PQconninfoOption *o = parsed.get(); o->keyword; ++o) {
        if (!o->val)
            continue;
        const QString key = QString::fromUtf8(o->keyword);
        const QString value = QString::fromUtf8(o->val);
        if (key == QLatin1String("host"))
            a.host = value;
        else if (key == QLatin1String("port"))
            a.port = value;
        else if (key == QLatin1String("dbname"))
            a.database = value;
        else if (key == QLatin1String("user"))
            a.user = value;
        else if (key != QLatin1String("password"))
            rest << key + QLatin1Char('=') + quoted(value);
    }
    a.options = rest.join(QLatin1Char(' '));
    return a;
}

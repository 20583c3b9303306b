#pragma once

#include <QString>
#include <optional>

// A shared server as the steward fills it in (host, port, database, user,
// and further libpq keywords such as sslmode=require), and the
// postgresql:// URI the program keeps for it. The URI never holds a
// password: the server asks, or libpq's password file answers.
struct ServerAddress {
    QString host;     // a name, an address, or a socket folder; empty: libpq's default
    QString port;     // empty: libpq's default
    QString database; // empty: libpq's default (the user's name)
    QString user;     // empty: libpq's default (the login name)
    QString options;  // further libpq keywords, as key=value pairs separated by blanks

    // The URI, every part percent-encoded, so that a name with blanks, '@',
    // ':' or '/' reaches the server as typed. Empty, with `error` set, when
    // the options do not read as libpq keywords or name a password or a
    // part that has its own box.
    QString toUri(QString *error = nullptr) const;

    // The parts of a postgresql:// URI or key=value string, as libpq reads
    // them; a password in it is left out. Nothing when libpq refuses it
    // (`error` says why).
    static std::optional<ServerAddress> fromLocation(const QString &location,
                                                     QString *error = nullptr);

    // `location` with any password in it left out, read as loosely as
    // needed to find one in an address libpq refuses: the part after the
    // user name and ':' in a URI, and every password setting.
    static QString withoutPassword(const QString &location);
    // `text` (what libpq said about `location`, say) with every password
    // that `location` may hold replaced by "***".
    static QString hidingPassword(const QString &text, const QString &location);
};

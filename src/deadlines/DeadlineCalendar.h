#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

// The deadlines as an iCalendar file (RFC 5545) that Thunderbird, GNOME
// Calendar, Outlook or a phone open: one all-day event per deadline with a
// reminder the day before, written by libical. Each complaint's event has a
// UID of its own that never changes, and a sequence number that grows with
// every change of its steps or of the time limits, so the file opened again
// later moves the same event to the new day rather than adding another.
namespace DeadlineCalendar
{

struct Event {
    QString uid;
    QDate day;
    QString summary;
    QString description;
    QString reminder;
    qint64 sequence = 0;
};

// The reminder: at 9 in the morning the day before (15 hours before the
// day begins).
inline constexpr const char *ReminderBefore = "-PT15H";

// "grievance-123@quillmark-wizard"
QString uidFor(qint64 grievanceNumber);

// The file's text.
QByteArray text(const QList<Event> &events, const QDateTime &stamp);

// Writes the file whole or not at all (a new file is the steward's alone).
// False with the cause in `error`.
bool write(const QString &path, const QList<Event> &events, const QDateTime &stamp, QString *error);

} // namespace DeadlineCalendar

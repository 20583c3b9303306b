#include "deadlines/DeadlineCalendar.h"

#include <QFileInfo>
#include <QSaveFile>
#include <libical/ical.h>
#include <memory>

namespace
{

struct FreeComponent {
    void operator()(icalcomponent *c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, FreeComponent>;

icaltimetype dateOf(QDate d)
{
    icaltimetype t = icaltime_null_date();
    t.year = d.year();
    t.month = d.month();
    t.day = d.day();
    return t;
}

QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

icalcomponent *event(const DeadlineCalendar::Event &e, const icaltimetype &stamp)
{
    icalcomponent *ev = icalcomponent_new_vevent();
    icalcomponent_add_property(ev, icalproperty_new_uid(utf8(e.uid).constData()));
    icalcomponent_add_property(ev, icalproperty_new_dtstamp(stamp));
    icalcomponent_add_property(ev, icalproperty_new_dtstart(dateOf(e.day)));
    icalcomponent_add_property(ev, icalproperty_new_dtend(dateOf(e.day.addDays(1))));
    icalcomponent_add_property(ev, icalproperty_new_sequence(int(e.sequence)));
    icalcomponent_add_property(ev, icalproperty_new_summary(utf8(e.summary).constData()));
    icalcomponent_add_property(ev, icalproperty_new_description(utf8(e.description).constData()));
    // A day to meet, not a day taken up: the steward stays free for others.
    icalcomponent_add_property(ev, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
    icalcomponent *alarm = icalcomponent_new_valarm();
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icalcomponent_add_property(alarm, icalproperty_new_description(utf8(e.reminder).constData()));
    icaltriggertype trigger = icaltriggertype_from_string(DeadlineCalendar::ReminderBefore);
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    icalcomponent_add_component(ev, alarm);
    return ev;
}

} // namespace

namespace DeadlineCalendar
{

QString uidFor(qint64 grievanceNumber)
{
    return QStringLiteral("grievance-%1@quillmark-wizard").arg(grievanceNumber);
}

QByteArray text(const QList<Event> &events, const QDateTime &stamp)
{
    Component calendar(icalcomponent_new_vcalendar());
    icalcomponent *cal = calendar.get();
    icalcomponent_add_property(cal, icalproperty_new_version("2.0"));
    icalcomponent_add_property(cal, icalproperty_new_prodid("-//Quillmark//Quillmark Wizard//EN"));
    // No METHOD: a file to open, not an iTIP message, which would need an
    // organizer on every event.
    icalproperty *name = icalproperty_new_x("Grievance deadlines");
    icalproperty_set_x_name(name, "X-WR-CALNAME");
    icalcomponent_add_property(cal, name);
    const icaltimetype at = icaltime_from_timet_with_zone(time_t(stamp.toSecsSinceEpoch()), 0,
                                                          icaltimezone_get_utc_timezone());
    for (const Event &e : events)
        icalcomponent_add_component(cal, event(e, at));
    char *written = icalcomponent_as_ical_string_r(cal);
    QByteArray out(written);
    icalmemory_free_buffer(written);
    return out;
}

bool write(const QString &path, const QList<Event> &events, const QDateTime &stamp, QString *error)
{
    const bool isNew = !QFileInfo::exists(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    // Names and grievances: a new file is readable by its owner alone; one
    // that was there keeps the rights the steward gave it.
    if (isNew)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(text(events, stamp));
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace DeadlineCalendar

#include "session/ChangeNotices.h"

#include "caseform/RecordBinder.h"
#include "records/CaseDatabase.h"

#include <QHash>
#include <QLocale>
#include <QSet>
#include <utility>

namespace
{

QString when(const QDateTime &at)
{
    const QLocale locale;
    const QDateTime local = at.toLocalTime();
    return locale.toString(local.date(), QLocale::ShortFormat) + u' ' +
           locale.toString(local.time(), QLocale::ShortFormat);
}

QString recordWord(const QString &table)
{
    return table.compare(QLatin1String("Complaints"), Qt::CaseInsensitive) == 0
               ? QStringLiteral("grievance")
               : QStringLiteral("employee");
}

} // namespace

ChangeNotices::ChangeNotices(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(Interval);
    connect(&m_timer, &QTimer::timeout, this, &ChangeNotices::poll);
}

ChangeNotices::~ChangeNotices() = default;

void ChangeNotices::attach(const std::shared_ptr<CaseDatabase> &db,
                           const QList<RecordBinder *> &panes)
{
    detach();
    m_db = db;
    m_panes = panes;
    for (RecordBinder *pane : std::as_const(m_panes)) {
        auto mine = [this, pane] {
            if (m_panes.value(m_page) == pane)
                showLastChange();
        };
        m_paneConnections << connect(pane, &RecordBinder::shown, this, mine);
        m_paneConnections << connect(pane, &RecordBinder::stored, this, mine);
    }
    if (m_db && m_db->tracksChanges()) {
        try {
            m_watch = std::make_unique<ChangeLog::Watch>(*m_db);
            m_timer.start();
        } catch (const DataError &e) {
            Q_EMIT failed(
                QStringLiteral("Changes by other stewards are not shown: %1").arg(e.description()));
        }
    }
    showLastChange();
}

void ChangeNotices::detach()
{
    m_timer.stop();
    m_watch.reset();
    for (const auto &c : std::as_const(m_paneConnections))
        disconnect(c);
    m_paneConnections.clear();
    m_panes.clear();
    m_db.reset();
}

void ChangeNotices::setCurrentPage(int page)
{
    if (page == m_page)
        return;
    m_page = page;
    showLastChange();
}

QString ChangeNotices::lastChangeText(int page) const
{
    RecordBinder *pane = m_panes.value(page);
    if (!pane || !pane->rs() || !m_db || !m_db->tracksChanges() || pane->shownKey() < 0)
        return {};
    const QString table = m_db->tableName(pane->rs()->tableName());
    try {
        const std::optional<ChangeLog::Change> change =
            ChangeLog::last(*m_db, table, pane->shownKey());
        return change ? ChangeLog::describe(*change) : QString();
    } catch (const DataError &e) {
        return QStringLiteral("Who changed this record cannot be read (%1)").arg(e.description());
    }
}

void ChangeNotices::showLastChange()
{
    Q_EMIT lastChange(lastChangeText(m_page));
}

void ChangeNotices::poll()
{
    // Never in the middle of a save, whose statements the connection is
    // running (a progress dialog's events): the next look finds the news.
    if (!m_watch || !m_db || !m_db->isOpen() || m_db->isWriting())
        return;
    QList<ChangeLog::Change> changes;
    try {
        changes = m_watch->poll();
    } catch (const DataError &e) {
        // A server away for a while: said once, and looked for again; the
        // next command connects anew and listens again.
        if (e.number() == DataErrors::Unreachable) {
            if (!std::exchange(m_away, true))
                Q_EMIT failed(QStringLiteral("Changes by other stewards are not shown while the "
                                             "server does not answer: %1")
                                  .arg(e.description()));
            return;
        }
        // Said once; the panes go on without the news until the database
        // is opened again.
        m_timer.stop();
        m_watch.reset();
        Q_EMIT failed(QStringLiteral("Changes by other stewards are no longer shown: %1")
                          .arg(e.description()));
        return;
    }
    m_away = false;
    if (!changes.isEmpty())
        apply(changes);
}

void ChangeNotices::apply(const QList<ChangeLog::Change> &changes)
{
    QString shownNotice;
    for (int page = 0; page < m_panes.size(); ++page) {
        RecordBinder *pane = m_panes.at(page);
        if (!pane->rs() || pane->shownKey() < 0)
            continue;
        const QString table = m_db->tableName(pane->rs()->tableName());
        const ChangeLog::Change *latest = nullptr;
        for (const ChangeLog::Change &c : changes) {
            if (c.table.compare(table, Qt::CaseInsensitive) == 0 &&
                (c.row == pane->shownKey() || c.row < 0))
                latest = &c;
        }
        if (!latest)
            continue;
        const bool deleted = latest->row >= 0 && latest->kind == QLatin1String("delete");
        const bool typing = pane->isEdited();
        const bool again = !deleted && !typing && pane->showStoredAgain();
        const QString who = latest->by.isEmpty() ? QStringLiteral("Another program") : latest->by;
        QString text;
        if (latest->row < 0)
            text = QStringLiteral("%1 changed many %2 records on %3")
                       .arg(who, recordWord(table), when(latest->at));
        else
            text = QStringLiteral("%1 %2 this %3 record on %4")
                       .arg(who,
                            deleted                                   ? QStringLiteral("deleted")
                            : latest->kind == QLatin1String("insert") ? QStringLiteral("added")
                                                                      : QStringLiteral("changed"),
                            recordWord(table), when(latest->at));
        if (typing)
            text += QStringLiteral("; what you typed is kept, and Update says that the record "
                                   "changed");
        else if (!again && !deleted)
            text += QStringLiteral("; the pane shows it as it was until it is read again");
        if (page == m_page)
            shownNotice = text;
    }
    // After the panes showed the records anew, whose own line it replaces.
    if (!shownNotice.isEmpty())
        Q_EMIT lastChange(shownNotice);
    QHash<QString, QList<qint64>> rows;
    QSet<QString> many;
    for (const ChangeLog::Change &c : changes) {
        if (c.row < 0)
            many.insert(c.table);
        else
            rows[c.table] << c.row;
    }
    for (auto it = rows.cbegin(); it != rows.cend(); ++it)
        if (!many.contains(it.key()))
            Q_EMIT changedByOthers(it.key(), it.value(), false);
    for (const QString &table : std::as_const(many))
        Q_EMIT changedByOthers(table, rows.value(table), true);
}

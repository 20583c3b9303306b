#pragma once

#include "records/ChangeLog.h"

#include <QList>
#include <QObject>
#include <QTimer>
#include <memory>

class CaseDatabase;
class RecordBinder;

// Who changed the record each pane shows, and what other stewards change
// meanwhile: the session's view of the change log. It looks for others'
// changes a few times a second (a file's data version, a server's notices:
// neither costs a round trip while nothing changed); a pane without typing
// shows the record anew, one with typing keeps it.
class ChangeNotices : public QObject
{
    Q_OBJECT
  public:
    // How often it looks, in milliseconds.
    static constexpr int Interval = 250;

    explicit ChangeNotices(QObject *parent = nullptr);
    ~ChangeNotices() override;

    // Works on `db` (null: none) and its panes, employee first.
    void attach(const std::shared_ptr<CaseDatabase> &db, const QList<RecordBinder *> &panes);
    // Stops looking until the next attach (the database is about to go).
    void detach();
    void setCurrentPage(int page);

    // The line for the status bar about the record shown on `page`: who
    // changed it last and when; empty for a new record or one never noted.
    QString lastChangeText(int page) const;
    // Looks now (the window was activated, say).
    void poll();

  Q_SIGNALS:
    // The status bar's line about the record shown changed.
    void lastChange(const QString &text);
    // Another steward changed rows of `table` (all rows seen: `many`).
    void changedByOthers(const QString &table, const QList<qint64> &rows, bool many);
    // A failure the steward is told on the status bar.
    void failed(const QString &text);

  private:
    void showLastChange();
    void apply(const QList<ChangeLog::Change> &changes);

    std::shared_ptr<CaseDatabase> m_db;
    QList<RecordBinder *> m_panes;
    QList<QMetaObject::Connection> m_paneConnections;
    std::unique_ptr<ChangeLog::Watch> m_watch;
    QTimer m_timer;
    int m_page = 0;
    bool m_away = false; // the server did not answer the last look
};

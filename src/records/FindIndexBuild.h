#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// Gives a case database file from before Find its find index (FindIndex)
// while the steward works: on a thread and a connection of its own, in
// short write transactions, each indexing the next rows above the mark
// the file keeps, so the steward's saves wait a moment at most, and a
// build stopped anywhere (the program closed or killed, the disk full)
// goes on from that mark the next time. Searches made meanwhile scan the
// rows the index does not reach yet (CaseSearch).
class FindIndexBuild : public QObject
{
    Q_OBJECT
  public:
    struct Step {
        qint64 indexed = 0;    // rows this step added to the index
        bool finished = false; // the index is complete (nothing was done)
    };
    // One step on db, in one write transaction: starts the build, makes a
    // b-tree index, or indexes at most `rows` rows. Throws DataError.
    static Step step(const QSqlDatabase &db, int rows);
    // Rows of both tables, and those the index reaches now.
    static qint64 rowsInAll(const QSqlDatabase &db);
    static qint64 rowsIndexed(const QSqlDatabase &db);

    // Builds the index of the file at path; nothing starts yet.
    explicit FindIndexBuild(QString path, QObject *parent = nullptr);
    // Stops the build (the step under way ends first) and waits for it.
    ~FindIndexBuild() override;

    void start();
    void stop();

  Q_SIGNALS:
    // From the build's thread: rows indexed so far of all there are.
    void progressed(qint64 done, qint64 total);
    // The index is complete (or was already).
    void finished();
    // The build stopped on an error; the index stays as far as it got.
    void failed(const QString &why);

  private:
    void run();
    void build(const QSqlDatabase &db);
    // Waits up to ms, or until stopped; false when stopped.
    bool pause(int ms);

    QString m_path;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::atomic<bool> m_stop{false};
};

#pragma once

#include "safekeeping/CaseFileCheck.h"
#include "safekeeping/CaseShape.h"
#include "safekeeping/PrivateOutput.h"

#include <QList>
#include <QString>
#include <atomic>
#include <functional>

struct BackupOptions {
    // Pages copied between two looks at the cancel flag (and two progress
    // reports): 1024 pages of 4 KiB are about 4 MB.
    int pagesPerStep = 1024;
    // How the copy is checked before it takes its name.
    CaseFileCheck::Depth check = CaseFileCheck::Depth::Full;
    PrivateOutput::Replace replace = PrivateOutput::Replace::Never;
    // Set from another thread (the window closing) to stop between steps.
    const std::atomic<bool> *cancel = nullptr;
    // Pages copied and pages in all, after every step.
    std::function<void(qint64 done, qint64 total)> progress;
};

struct BackupResult {
    bool ok = false;
    bool cancelled = false;
    QString error;      // for the steward, when not ok
    QString path;       // the backup's final path, when ok
    QList<qint64> rows; // rows per table of the shape, counted in the copy
    qint64 bytes = 0;   // the backup's size
    // The copy failed because the database copied is itself damaged (as
    // SQLite judges it, read again on its own): `error` then says so.
    bool sourceDamaged = false;
    QString damage; // SQLite's words for what is damaged, then
};

// A consistent copy of a case database file while other programs may be
// reading and writing it.
//
// SQLite's online backup runs on a connection of its own, opened read-only
// to the source, inside one read transaction: the copy is the database as
// one moment, a writer's commits during the copy neither block nor restart
// it (in WAL mode readers and writers do not wait for each other), and the
// source is never written. The copy goes to a private .part file beside the
// target, is turned into a self-contained file (rollback journal, so
// reading it later creates nothing beside it), checked, counted, synced,
// and only then given its name.
class OnlineBackup
{
  public:
    static BackupResult copy(const QString &source, const QString &target, const CaseShape &shape,
                             const BackupOptions &options = {});
};

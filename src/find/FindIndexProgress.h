#pragma once

#include "records/FindIndexBuild.h"

#include <QObject>
#include <QPointer>
#include <memory>

class CaseDatabase;
class QLabel;
class QStatusBar;

// The find index of a file from before Find, built in the background while
// the steward works (FindIndexBuild), its progress in a panel of the status
// bar that goes once the index is complete.
class FindIndexProgress : public QObject
{
    Q_OBJECT
  public:
    // Starts the build for db when it is a file without a complete index;
    // null otherwise.
    static std::unique_ptr<FindIndexProgress> startFor(const CaseDatabase &db, QStatusBar *bar);

    FindIndexProgress(const QString &path, QStatusBar *bar);
    // Stops the build where it is (the next start goes on from there).
    ~FindIndexProgress() override;

    // The panel's text; empty once the index is complete.
    QString text() const;
    bool isFinished() const { return m_finished; }

  private:
    QPointer<QLabel> m_label;
    FindIndexBuild m_build;
    bool m_finished = false;
};

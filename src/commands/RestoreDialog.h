#pragma once

#include "safekeeping/BackupFolder.h"

#include <QDialog>
#include <QList>

class QPushButton;
class QTreeWidget;

// The list of backups offered for restore, newest first, each with the
// time it was taken (local time) and its numbers of employees and
// complaints; a file that is not a good backup shows what is wrong with it.
// "Other File..." picks a copy kept elsewhere (a USB stick).
class RestoreDialog : public QDialog
{
    Q_OBJECT
  public:
    // `databaseName`: the file's name, or the server's as messages name it.
    RestoreDialog(const QString &databaseName, const QList<BackupEntry> &backups,
                  QWidget *parent = nullptr);

    // The file chosen, once accepted.
    const QString &chosenPath() const { return m_chosen; }

    QTreeWidget *list() const { return m_list; }
    QPushButton *restoreButton() const { return m_restore; }
    QPushButton *otherFileButton() const { return m_otherFile; }

    static QString timeText(const QDateTime &utc);

  private:
    void acceptSelected();
    void chooseOtherFile();

    QList<BackupEntry> m_backups; // newest first, as listed
    QTreeWidget *m_list = nullptr;
    QPushButton *m_restore = nullptr;
    QPushButton *m_otherFile = nullptr;
    QString m_chosen;
};

#include "commands/RestoreDialog.h"

#include "platform/Dialogs.h"
#include "session/CaseShapes.h"
#include "session/SafeCommandTexts.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

using namespace SafeCommandTexts;

RestoreDialog::RestoreDialog(const QString &databaseName, const QList<BackupEntry> &backups,
                             QWidget *parent)
    : QDialog(parent), m_backups(backups)
{
    setObjectName(QStringLiteral("RestoreDialog"));
    setWindowTitle(QString::fromUtf8(RestoreTitle));
    std::reverse(m_backups.begin(), m_backups.end());

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("backups"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QString::fromUtf8(ColumnTaken), QString::fromUtf8(ColumnEmployees),
                             QString::fromUtf8(ColumnComplaints), QString::fromUtf8(ColumnState)});
    for (const BackupEntry &e : std::as_const(m_backups)) {
        auto *item = new QTreeWidgetItem(m_list);
        item->setText(0, timeText(e.time));
        if (e.good) {
            item->setText(1, QLocale().toString(CaseShapes::employees(e.rows)));
            item->setText(2, QLocale().toString(CaseShapes::complaints(e.rows)));
            item->setText(3, QString::fromUtf8(StateGood));
        } else {
            item->setText(3, e.problem);
        }
        item->setToolTip(0, QFileInfo(e.path).fileName());
    }
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_restore = buttons->addButton(QString::fromUtf8(RestoreButton), QDialogButtonBox::AcceptRole);
    m_restore->setObjectName(QStringLiteral("restore"));
    m_otherFile =
        buttons->addButton(QString::fromUtf8(OtherFileButton), QDialogButtonBox::ActionRole);
    m_otherFile->setObjectName(QStringLiteral("otherFile"));
    m_restore->setEnabled(!m_backups.isEmpty());
    connect(m_restore, &QPushButton::clicked, this, &RestoreDialog::acceptSelected);
    connect(m_otherFile, &QPushButton::clicked, this, &RestoreDialog::chooseOtherFile);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &RestoreDialog::acceptSelected);

    auto *layout = new QVBoxLayout(this);
    if (m_backups.isEmpty())
        layout->addWidget(new QLabel(QString::fromUtf8(RestoreNone).arg(databaseName), this));
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(560, 320);
}

QString RestoreDialog::timeText(const QDateTime &utc)
{
    return QLocale().toString(utc.toLocalTime(), QLocale::ShortFormat);
}

void RestoreDialog::acceptSelected()
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (row < 0 || row >= m_backups.size())
        return;
    // A backup that is not good is still chosen: the restore refuses it
    // with its reason, which the steward then reads in a message.
    m_chosen = m_backups.at(row).path;
    accept();
}

void RestoreDialog::chooseOtherFile()
{
    const QString path = Dialogs::instance().openFileName(
        QString::fromUtf8(RestoreFileTitle), QString(), QString::fromUtf8(BackupFilter));
    if (path.isEmpty())
        return;
    m_chosen = path;
    accept();
}

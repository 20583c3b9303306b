#pragma once

// The child program of the crash and two-program tests: it saves employees
// and complaints through the program's own record panes, with bound text
// boxes, exactly as the main window does, and reports each save once its
// commit has returned.

#include "caseform/RecordBinder.h"
#include "caseform/TextBoxBinding.h"
#include "faults/ChildProgram.h"
#include "faults/SaveToken.h"
#include "platform/TextBox.h"
#include "records/CaseDatabase.h"

#include <QWidget>
#include <memory>
#include <random>

namespace Fault
{

class SavingChild
{
  public:
    // label: the token's round part; every save's token is r<label>s<n>.
    SavingChild(const QString &path, int label, unsigned randomness)
        : m_db(std::make_shared<CaseDatabase>(path)), m_label(label), m_random(randomness)
    {
    }

    // Opens the database and both panes; throws DataError.
    void open()
    {
        m_db->open();
        const char *tables[2] = {CaseSchema::EmployeeTable, CaseSchema::ComplaintsTable};
        for (int i = 0; i < 2; ++i) {
            Pane &p = m_panes[i];
            p.table = QString::fromLatin1(tables[i]);
            p.pane = new RecordBinder(i, &m_window);
            p.pane->onError = [](int, int, const QString &text, int &response) {
                report(QStringLiteral("error ") + text);
                response = 0;
            };
            p.columns = boundColumns(p.table);
            for (const BoundColumn &c : std::as_const(p.columns)) {
                auto *box = new TextBox(&m_window);
                p.boxes.append(box);
                p.pane->bind(TextBoxBinding::of(box), c.field);
            }
            p.pane->setDatabase(m_db);
            p.pane->setRecordSource(p.table);
            p.pane->open();
            if (!p.pane->rs())
                throw DataError(DataErrors::CannotOpen, QStringLiteral("the pane did not open"));
        }
    }

    // One save: a new record, or an edit of one already stored. Returns
    // "<table> <key> <token>" after the commit. Throws DataError.
    QString saveOne(bool editsAllowed = true)
    {
        Pane &p = m_panes[m_random() % 2];
        const QString token = QStringLiteral("r%1s%2").arg(m_label).arg(m_saves++);
        RecordSet *rs = p.pane->rs();
        rs->fetchAll();
        if (editsAllowed && rs->loadedCount() > 0 && m_random() % 3 == 0)
            p.pane->setBookmark(rs->keyAt(int(m_random() % unsigned(rs->loadedCount()))));
        else
            p.pane->addNew();
        for (int i = 0; i < p.columns.size(); ++i)
            p.boxes.at(i)->setText(valueFor(p.columns.at(i), token));
        p.pane->updateRecord();
        return QStringLiteral("%1 %2 %3").arg(p.table).arg(p.pane->rs()->lastModified()).arg(token);
    }

  private:
    struct Pane {
        QString table;
        RecordBinder *pane = nullptr;
        QList<BoundColumn> columns;
        QList<TextBox *> boxes;
    };
    std::shared_ptr<CaseDatabase> m_db;
    QWidget m_window;
    Pane m_panes[2];
    int m_label = 0;
    int m_saves = 0;
    std::mt19937 m_random;
};

} // namespace Fault

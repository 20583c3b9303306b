#pragma once

#include "records/DeadlineStore.h"

#include <QDialog>
#include <memory>

class CaseDatabase;
class DateBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;

// Steps and Deadlines for one complaint: its status, the dates its steps
// count from, each step of the time limits with its last day, the day it
// was taken (filed by the union or answered by management), the outcome
// and a note, and the next deadline, computed as the steward types. A
// complaint whose steps were never saved gets its dates proposed from its
// own date boxes when they hold a date that reads one way only; the boxes
// themselves are never changed.
class StepsWindow : public QDialog
{
    Q_OBJECT
  public:
    StepsWindow(std::shared_ptr<CaseDatabase> db, const ComplaintFacts &facts, QWidget *owner,
                QDate today = QDate::currentDate());
    ~StepsWindow() override;

    qint64 grievanceNumber() const { return m_stored.grievanceNumber; }
    ComplaintSteps edited() const;
    QString nextText() const;
    QString proposalText() const;

    // Stores the steps and closes; a refused save says why and leaves the
    // window as it is.
    void save();

  Q_SIGNALS:
    void saved(qint64 grievanceNumber);

  private:
    struct Row {
        qint64 limit = 0;
        QLabel *due = nullptr;
        DateBox *done = nullptr;
        QComboBox *outcome = nullptr;
        QLineEdit *note = nullptr;
    };
    void addRows(QGridLayout *grid, QWidget *area);
    void load();
    // Puts the dates the complaint's boxes hold into the empty date boxes.
    void propose();
    void showNext();

    std::shared_ptr<CaseDatabase> m_db;
    ComplaintFacts m_facts;
    QDate m_today;
    DeadlineStore::Rules m_rules;
    ComplaintSteps m_stored;
    QList<Row> m_rows;
    QComboBox *m_status = nullptr;
    DateBox *m_violation = nullptr;
    DateBox *m_learned = nullptr;
    QComboBox *m_order = nullptr;
    QLabel *m_next = nullptr;
    QLabel *m_proposal = nullptr;
};

#pragma once

#include "records/DeadlineStore.h"

#include <QDialog>
#include <memory>

class CaseDatabase;
class DateBox;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QListWidget;
class QSpinBox;

// Time Limits: the office's steps in order (name, who acts, how many days,
// counted in working or calendar days, from what, and whether a last day
// off work moves on to the next working day) and its holidays, with a
// button that adds a year's fixed-date holidays for the steward to edit.
// Saving stores both and recomputes every open complaint's next deadline;
// another steward's save since this window read them is never overwritten.
class TimeLimitsWindow : public QDialog
{
    Q_OBJECT
  public:
    TimeLimitsWindow(std::shared_ptr<CaseDatabase> db, QWidget *owner);
    ~TimeLimitsWindow() override;

    // What the window holds now.
    OfficeLimits edited() const;
    // The row whose box has (or last had) the focus; -1 with none.
    int currentRow() const { return m_current; }

    void addStep();
    void removeStep();
    void moveStep(int by);
    void addHoliday();
    void removeHoliday();
    void addYearsHolidays();
    // Stores what the window holds and closes it; a refused save says why
    // and leaves the window as it is.
    void save();

  Q_SIGNALS:
    // The time limits were stored: the open complaints' deadlines changed.
    void saved();

  private:
    struct Row {
        qint64 id = 0;
        QLineEdit *name = nullptr;
        QComboBox *acts = nullptr;
        QSpinBox *days = nullptr;
        QComboBox *unit = nullptr;
        QComboBox *from = nullptr;
        QCheckBox *moves = nullptr;
        QList<QWidget *> widgets() const;
    };
    void load(const OfficeLimits &office);
    Row makeRow(const TimeLimit &limit);
    void layRows();
    void setHolidays(const QList<QDate> &days);
    TimeLimit limitOf(const Row &row) const;

    std::shared_ptr<CaseDatabase> m_db;
    qint64 m_version = 0;
    QList<Row> m_rows;
    int m_current = -1;
    QWidget *m_stepsArea = nullptr;
    QGridLayout *m_grid = nullptr;
    QListWidget *m_holidays = nullptr;
    DateBox *m_holidayDate = nullptr;
    QSpinBox *m_year = nullptr;
};

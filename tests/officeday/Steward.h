#pragma once

// One steward at work: the main window's two record panes with their bound
// boxes and handlers (the file-number checks, the page switch), a grid over
// the employees, and the File menu's import and restore as the data layer
// and the safekeeping jobs run them, without the window itself. Every save
// goes into the diary (DayLog.h) before it starts and again once the program
// answered.

#include "caseform/CaseForm.h"
#include "jetsql/DataError.h"
#include "officeday/DayLog.h"
#include "platform/Dialogs.h"

#include <QHash>
#include <QTabWidget>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <random>

class CaseDatabase;
class GridTableModel;
class RecordBinder;

namespace OfficeDay
{

// The file numbers that employees share now and then; every other number is
// one employee's own.
QString poolNumber(unsigned n);
constexpr unsigned PoolSize = 9;

class Steward : public Dialogs
{
  public:
    Steward(const QString &location, int actor, unsigned random);
    ~Steward() override;

    // Starts "the program": the database and both panes. Throws DataError.
    void open();
    // Random steps until the clock passes `until`; the import (when asked
    // for, on a file) once the clock passes `importAt`.
    void work(qint64 until, qint64 importAt = -1);
    // File > Restore from Backup, as the window runs it. Throws DataError.
    void restore(const QString &backup);
    // One edit of an employee with the token in Name; the token, once saved.
    QString saveOneName();

    // Dialogs: the steward reading the program's questions.
    Answer message(const QString &prompt, Buttons buttons, Icon icon,
                   const QString &title) override;
    QString input(const QString &, const QString &, const QString &) override { return {}; }
    void beep() override {}
    QString saveFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    int exec(QDialog &) override { return 0; }

  private:
    RecordBinder *pane(int p) const { return m_form.Data1[p]; }
    QString version(int pane) const;
    QString boxText(const QString &field, int pane) const;
    void type(int pane, const QString &field, const QString &text);
    QStringList someFields(const QString &table, int most);
    QString freshNumber();
    QString newNumber();
    bool coin(unsigned in) { return m_random() % in == 0; }
    int pick(int rows); // a row to go to, of `rows`

    Save begin(Kind kind, const QString &table, qint64 key);
    // The diary's line before a save, and the answer after it: true when
    // the program said it was stored. `pane` is the one saving (-1: the grid).
    void announce(Save &s, int pane);
    bool settle(Save &s, const std::function<void()> &work, int pane);
    bool attempt(Save &s, const std::function<void()> &work, int pane);
    void recover(int pane, const DataError &e, const Save &s);

    void step();
    bool showEmployee(bool move);
    bool showComplaints(bool fresh);
    bool pickComplaint(); // a complaint of the page, to edit or delete
    void page(int index);
    // stay: the employee shown; also: fields that get the token too.
    bool editEmployee(bool renumber, bool move, bool stay = false, const QStringList &also = {});
    void addEmployee();
    void deleteEmployee();
    void editComplaint();
    void addComplaint();
    void deleteComplaint();
    void gridEdit();
    void pendingComplaintThenRenumber();
    void importEmployees();
    // Find and the employees' grid's Export, each looking for the name the
    // steward last saved: missed only when another save changed it since.
    void findAndExport();
    // Whether the employee `key` is named `name` now, read afresh.
    bool stillNamed(qint64 key, const QString &name);
    void trouble(const DataError &e);

    QString m_location;
    int m_actor;
    std::mt19937 m_random;
    int m_saves = 0;
    int m_numbers = 0;
    std::shared_ptr<CaseDatabase> m_db;
    QWidget m_window;
    QTabWidget *m_tabs = nullptr;
    CaseForm m_form;
    QHash<QString, int> m_boxOf[CaseFields::PaneCount]; // field -> box, per pane
    std::unique_ptr<GridTableModel> m_grid;
    std::optional<DataError> m_gridError;
    Dialogs *m_previousDialogs = nullptr;
    QString m_current;             // the save under way, for questions and notices
    Answer m_answer = Answer::Yes; // to the question of the save under way
    Answer m_retryAnswer = Answer::Yes;
    QString m_lastSaved;
    std::pair<QString, qint64> m_named{{}, -1}; // the last name saved and its employee
    qint64 m_stepStart = 0;
    qint64 m_readAt[CaseFields::PaneCount] = {};
    qint64 m_gridReadAt = 0;
    // An update lost with the connection, tried again first at the next step.
    std::optional<Save> m_retry;
    int m_retryPane = 0;
};

} // namespace OfficeDay

#pragma once

#include "records/CaseSearch.h"

#include <QWidget>
#include <memory>

class CaseDatabase;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

// Find: lists, as the steward types, the employees whose name, file number
// or department holds the text and the complaints whose remedy, contract
// provisions or case facts hold it; a third page lists the complaints no
// employee's file number reaches, where their file number can be changed.
// Choosing a row (Enter or a double-click) is the main window's business.
class FindWindow : public QWidget
{
    Q_OBJECT
  public:
    FindWindow(std::shared_ptr<CaseDatabase> db, QWidget *owner);
    ~FindWindow() override;

    enum Page { EmployeesPage, ComplaintsPage, StrandedPage };

    QLineEdit *searchBox() const { return m_box; }
    QTabWidget *pages() const { return m_pages; }
    QTreeWidget *list(Page page) const { return m_lists[page]; }
    QLabel *note() const { return m_note; }
    QPushButton *changeButton() const { return m_change; }
    const std::shared_ptr<CaseDatabase> &database() const { return m_db; }

    // Lists what the text finds, as typing it does.
    void search(const QString &text);
    // Reads the lists again, keeping the rows chosen: what they show may
    // have changed since (the window raised again, or back in front).
    void refresh();
    // Reads the complaints without an employee again.
    void loadStranded();
    // Asks for the selected stranded complaint's new file number and files
    // it there.
    void changeFileNumber();

  Q_SIGNALS:
    void employeeChosen(qint64 key, const QString &fileNumber);
    // employeeKey is -1 for a complaint whose file number no employee has.
    void complaintChosen(qint64 key, qint64 employeeKey, const QString &fileNumber);

  protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

  private:
    void activate(QTreeWidgetItem *item);
    // Turns to the complaints without an employee on this one and asks for
    // its file number, as Enter there does.
    void fileStranded(qint64 key);
    void showNote();

    std::shared_ptr<CaseDatabase> m_db;
    std::unique_ptr<CaseSearch> m_search;
    QLineEdit *m_box = nullptr;
    QTabWidget *m_pages = nullptr;
    QTreeWidget *m_lists[3] = {};
    QLabel *m_note = nullptr;
    QPushButton *m_change = nullptr;
    QString m_searchNote;
    QString m_strandedNote;
    QList<StrandedComplaint> m_stranded;
};

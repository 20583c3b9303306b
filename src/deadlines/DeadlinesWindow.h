#pragma once

#include <QDate>
#include <QPageLayout>
#include <QWidget>
#include <functional>
#include <memory>

class CaseDatabase;
class DeadlineListModel;
class DefaultPrinterProvider;
class PrinterProvider;
class QLabel;
class QLineEdit;
class QTreeView;
struct DeadlineListData;

// Deadlines: every open complaint with its next deadline, the overdue ones
// first and marked, then those of this week, then the later ones, filtered
// as the steward types. Enter opens the chosen complaint on the main window
// (the main window's business, through complaintChosen); the list can be
// exported to a calendar, printed or saved as a PDF. Esc closes it.
class DeadlinesWindow : public QWidget
{
    Q_OBJECT
  public:
    // What the window needs of the rest of the program.
    struct Hooks {
        // Saves the record being edited on the main window, as its navigator
        // would before moving; false when that was refused (and said).
        std::function<bool()> saveFirst;
        // The session's printer (none: the system's default printer), and
        // the paper a PDF is laid out on.
        PrinterProvider *printers = nullptr;
        std::function<QPageLayout()> pageLayout;
        // A line for the main window's status bar.
        std::function<void(const QString &)> status;
        // "Today" as the steward's computer has it.
        std::function<QDate()> today = [] { return QDate::currentDate(); };
    };

    DeadlinesWindow(std::shared_ptr<CaseDatabase> db, Hooks hooks, QWidget *owner);
    ~DeadlinesWindow() override;

    QLineEdit *filterBox() const { return m_filter; }
    QTreeView *list() const { return m_list; }
    QLabel *note() const { return m_note; }
    DeadlineListModel *model() const { return m_model; }
    const std::shared_ptr<CaseDatabase> &database() const { return m_db; }

    // Reads the list anew, keeping the filter and the chosen complaint.
    void refresh();
    // Enter: the chosen complaint on the main window.
    void openChosen();
    // The chosen complaint's Steps and Deadlines, once the main window's
    // edited record is saved.
    void editSteps();
    void exportCalendar();
    void print();
    void saveAsPdf();
    // What a print-out of the list holds now.
    DeadlineListData printed() const;

  Q_SIGNALS:
    // employeeKey is -1 when no employee has the complaint's file number.
    void complaintChosen(qint64 key, qint64 employeeKey, const QString &fileNumber);

  protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void read(const QString &filter);
    void count();
    void tell(const QString &text);

    std::shared_ptr<CaseDatabase> m_db;
    Hooks m_hooks;
    DeadlineListModel *m_model = nullptr;
    QLineEdit *m_filter = nullptr;
    QTreeView *m_list = nullptr;
    QLabel *m_note = nullptr;
    QString m_countsText;
    bool m_justRead = true;
    std::unique_ptr<DefaultPrinterProvider> m_ownPrinters;
};

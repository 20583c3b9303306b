#pragma once

#include "safekeeping/AccessImport.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;

// The tables of an Access file and where each goes before anything is
// written: their row counts, the case table each fills (the file's
// Employee and Complaints at once, any other as the steward chooses), and
// for the chosen table its columns with the field each fills (by name, as
// the CSV import matches, or as the steward chooses) and its first rows
// under those fields, with the columns matched, ignored and missing.
// Each change of a table's target reads the file again (`survey`), so
// the counts and questions the Import button leads to are the file's own.
class AccessImportDialog : public QDialog
{
    Q_OBJECT
  public:
    static constexpr int PreviewRows = 10;
    static constexpr int PauseMs = 600;
    using Survey = std::function<AccessSurvey(const QList<AccessMapping> &)>;

    AccessImportDialog(const QString &file, const AccessSurvey &first, Survey survey,
                       QWidget *parent = nullptr);

    const AccessSurvey &survey() const { return m_survey; }
    // Reads the file again first when a choice is not read yet.
    void accept() override;
    QList<AccessMapping> mappings() const;

    QTableWidget *tables() const { return m_tables; }
    QComboBox *target() const { return m_target; }
    QTableWidget *columns() const { return m_columns; }
    QComboBox *field() const { return m_field; }
    QTableWidget *rows() const { return m_rows; }
    QLabel *summary() const { return m_summary; }
    QPushButton *importButton() const { return m_import; }

  private:
    void showTables();
    void showCurrent();
    void showColumns();
    void retarget(int index);
    void refield(int index);
    void reread();
    // A choice changed: the file is read again once the steward pauses,
    // not at each arrow key through a list of fields.
    void changed();

    Survey m_read;
    AccessSurvey m_survey;
    QHash<QString, QString> m_targets; // Access table -> case table
    // Access table -> (lower-case column -> field), the steward's choices.
    QHash<QString, QHash<QString, QString>> m_fields;
    QTableWidget *m_tables = nullptr;
    QComboBox *m_target = nullptr;
    QTableWidget *m_columns = nullptr;
    QComboBox *m_field = nullptr;
    QTableWidget *m_rows = nullptr;
    QLabel *m_match = nullptr;
    QLabel *m_summary = nullptr;
    QPushButton *m_import = nullptr;
    QTimer *m_pause = nullptr;
};

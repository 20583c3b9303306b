#pragma once

#include "safekeeping/CsvImport.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// What an import would do before it does it: the table it fills, the
// file's first rows under the fields they fill, and which of the file's
// columns match a field and which are ignored. A file that cannot be
// imported says why here, and the Import button stays off.
class ImportDialog : public QDialog
{
    Q_OBJECT
  public:
    static constexpr int PreviewRows = 10;

    ImportDialog(const QString &csvPath, const QString &table, QWidget *parent = nullptr);

    QString table() const;
    void setTable(const QString &table);
    const CsvPreview &preview() const { return m_preview; }

    QTableWidget *rows() const { return m_rows; }
    QLabel *matchText() const { return m_match; }
    QPushButton *importButton() const { return m_import; }

  private:
    void readPreview();

    QString m_path;
    CsvPreview m_preview;
    QComboBox *m_table = nullptr;
    QTableWidget *m_rows = nullptr;
    QLabel *m_match = nullptr;
    QPushButton *m_import = nullptr;
};

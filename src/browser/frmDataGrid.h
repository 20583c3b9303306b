#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

class DataGrid;
class GridDataSource;
class QPushButton;
class RecordSet;

// The grid window: a strip of command buttons over a data grid that shows,
// edits, filters and sorts one record set. Until its first filter or sort
// that record set is the very one a record pane of the main window holds.
// Modeless; any number may be open, each with its own state.
class frmDataGrid : public QWidget
{
    Q_OBJECT
  public:
    // Where the load step finds the window's records: a record source on a
    // database. Empty when whoever opens the window hands it a record set.
    struct Origin {
        QString databaseName;
        QString recordSource;
    };

    // Not yet loaded: the load step runs when the window is first touched.
    explicit frmDataGrid(QWidget *owner = nullptr, Origin origin = {});
    ~frmDataGrid() override;

    // Runs Form_Load once. False when it failed (the window then unloads).
    bool ensureLoaded();
    bool isLoaded() const { return m_loaded; }

    GridDataSource *Data1() const { return m_data1; }
    std::shared_ptr<RecordSet> recordset() const;
    // Hands the window a record set (shared, not copied); loads it first.
    void setRecordset(std::shared_ptr<RecordSet> recordset);

    QWidget *picButtons = nullptr;
    QPushButton *cmdRefresh = nullptr;
    QPushButton *cmdSort = nullptr;
    QPushButton *cmdFilter = nullptr;
    QPushButton *cmdClose = nullptr;
    QPushButton *cmdExport = nullptr;
    DataGrid *grdDataGrid = nullptr;

    // The sort expression a header click prepares for the Sort command.
    QString SortColumn;
    // Modifier mask of the last mouse release over the grid.
    qint16 LastMouseShift = 0;

    bool Form_Load();
    void Form_Resize();
    void cmdRefresh_Click();
    void cmdSort_Click();
    void cmdFilter_Click();
    void cmdClose_Click();
    void cmdExport_Click();
    void grdDataGrid_BeforeDelete(qint16 &Cancel);
    void grdDataGrid_BeforeUpdate(qint16 &Cancel);
    void grdDataGrid_HeadClick(qint16 ColIndex);
    void grdDataGrid_MouseUp(int Button, int Shift, double X, double Y);

    // Places the window over the centre of its owner.
    void centreOnOwner();

  Q_SIGNALS:
    // The window is unloading.
    void unloaded();

  protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

  private:
    enum class Command { Filter, Sort };
    void openFromCurrent(Command command, const QString &expression);
    void showError(const QString &numbered);

    GridDataSource *m_data1 = nullptr;
    QPointer<QWidget> m_owner;
    Origin m_origin;
    bool m_loaded = false;
    bool m_unloading = false;
};

#pragma once

#include <QPointer>
#include <QTableView>
#include <memory>

class GridTableModel;
class RecordSet;

// The data-bound grid of the grid window (grdDataGrid): one column per
// field of its record set in the record set's order, a header to click, a
// record selector column, and rows that can be edited, added and deleted.
//
// Its events reach the window through signals, in the classic order: for a
// click on a column header mouseUp comes before headClick.
class DataGrid : public QTableView
{
    Q_OBJECT
  public:
    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    GridTableModel *gridModel() const { return m_model; }
    void setRecordset(std::shared_ptr<RecordSet> recordset);

    // The classic grid's settings that this window turns on.
    void setAllowAddNew(bool allow);
    void setAllowUpdate(bool allow);
    void setAllowDelete(bool allow);
    void setAllowArrows(bool allow) { m_allowArrows = allow; }
    void setColumnHeaders(bool shown);

    // Takes the open cell editor's text and writes the pending row (after
    // the BeforeUpdate confirmation). False when the row is still pending.
    bool commitPending();
    // Deletes the rows whose record selectors are selected, or the current
    // row when no whole row is selected (after BeforeDelete, row by row).
    void deleteSelectedRows();

    // Modifier mask of the classic events: 1 Shift, 2 Ctrl, 4 Alt.
    static int shiftMask(Qt::KeyboardModifiers modifiers);

  Q_SIGNALS:
    // Button: 1 left, 2 right, 4 middle; x and y in twips from the grid's corner.
    void mouseUp(int button, int shift, double x, double y);
    void headClick(int column);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

  private:
    friend class GridCellDelegate;
    void sizeColumns();
    int recordsetRow() const;
    void resumeReads();

    GridTableModel *m_model = nullptr;
    QPointer<QWidget> m_editor;
    bool m_allowArrows = true;
};

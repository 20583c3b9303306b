#pragma once

#include <QDialog>
#include <QStringList>

class QRadioButton;

// Which records the File menu's Export writes: the employees, the
// complaints, or both (each to a file of its own).
class ExportChoiceDialog : public QDialog
{
    Q_OBJECT
  public:
    // `current`: the table of the page shown, chosen at first.
    explicit ExportChoiceDialog(const QString &current, QWidget *parent = nullptr);

    QStringList tables() const;
    // 0, 1: that table; 2: both.
    void choose(int which);

  private:
    QRadioButton *m_choices[3] = {};
};

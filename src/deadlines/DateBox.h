#pragma once

#include <QDateEdit>

// A date editor that may also hold no date: empty, it shows nothing and
// date() is invalid. Delete or Backspace on a whole date empties it; the
// first arrow key or digit on an empty one starts from today (or the date
// it was offered), so the steward never types over 1900. F4 or Alt+Down
// opens the calendar.
class DateBox : public QDateEdit
{
    Q_OBJECT
  public:
    explicit DateBox(QWidget *parent = nullptr);

    // Invalid when empty.
    QDate value() const;
    // An invalid date empties it.
    void setValue(QDate date);
    bool isEmpty() const;
    // Where typing into an empty box starts.
    void setStart(QDate start) { m_start = start; }

  Q_SIGNALS:
    void valueChanged(QDate value);

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    QDate m_start;
};

#pragma once

#include <QWidget>

class QLabel;
class QToolButton;
class RecordBinder;

// The face of a record pane: four buttons (first, previous, next, last
// record) that move its binder, and the binder's caption between them. A
// press anywhere on the bar is the pane's MouseDown event.
class NavigatorBar : public QWidget
{
    Q_OBJECT
  public:
    enum Button { First, Previous, Next, Last, ButtonCount };

    explicit NavigatorBar(RecordBinder &binder, QWidget *parent = nullptr);

    RecordBinder &binder() const { return m_binder; }
    QString caption() const;
    QToolButton *button(Button which) const { return m_buttons[which]; }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    RecordBinder &m_binder;
    QToolButton *m_buttons[ButtonCount] = {};
    QLabel *m_caption = nullptr;
};

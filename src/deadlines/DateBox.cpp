#include "deadlines/DateBox.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace
{
// Never a date of a grievance: it stands for none.
const QDate Empty(1900, 1, 1);
} // namespace

DateBox::DateBox(QWidget *parent) : QDateEdit(parent)
{
    setDateRange(Empty, QDate(2199, 12, 31));
    setSpecialValueText(QStringLiteral(" "));
    setCalendarPopup(true);
    // A format without doubt in any language: the month by name.
    setDisplayFormat(QStringLiteral("d MMM yyyy"));
    setDate(Empty);
    connect(this, &QDateEdit::dateChanged, this,
            [this](QDate d) { Q_EMIT valueChanged(d == Empty ? QDate() : d); });
}

QDate DateBox::value() const
{
    return isEmpty() ? QDate() : date();
}

void DateBox::setValue(QDate d)
{
    setDate(d.isValid() && d > Empty ? d : Empty);
}

bool DateBox::isEmpty() const
{
    return date() == Empty;
}

void DateBox::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if ((key == Qt::Key_Delete || key == Qt::Key_Backspace) && !isEmpty() &&
        lineEdit()->selectedText() == lineEdit()->text()) {
        setValue({});
        return;
    }
    const bool starts = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
                        key == Qt::Key_PageDown || (key >= Qt::Key_0 && key <= Qt::Key_9);
    if (isEmpty() && starts && !(event->modifiers() & Qt::AltModifier)) {
        setValue(m_start.isValid() ? m_start : QDate::currentDate());
        setSelectedSection(QDateTimeEdit::DaySection);
        if (key < Qt::Key_0 || key > Qt::Key_9)
            return;
    }
    QDateEdit::keyPressEvent(event);
}

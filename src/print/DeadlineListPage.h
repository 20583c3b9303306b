#pragma once

#include <QList>
#include <QString>

class PrinterSurface;

// One deadline as the printed list shows it, each column's text ready.
struct DeadlineListLine {
    QString when; // Overdue, This week, Later
    QString due;
    QString daysLeft;
    QString employee;
    QString fileNumber;
    QString grievance;
    QString step;
    bool overdue = false; // printed in bold
};

// What the printed list holds: a title, a line saying when and what (the
// filter), and the deadlines in the window's order.
struct DeadlineListData {
    QString title;
    QString subtitle;
    QList<DeadlineListLine> lines;
};

namespace DeadlineListPage
{

// Where the pages end: a line that would reach below this goes on the next
// page, under the column heads again.
inline constexpr double pageBottom = 14000;
inline constexpr double pageRight = 10680;

// The list on as many pages as it takes, each with the title, the column
// heads and its number. Draws; does not end the document.
void draw(PrinterSurface &surface, const DeadlineListData &data);

} // namespace DeadlineListPage

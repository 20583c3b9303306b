#include "print/DeadlineListPage.h"

#include "print/PrinterSurface.h"

#include <functional>

namespace
{

constexpr double fontSize = 8;
constexpr double titleSize = 14;
constexpr double gap = 120; // between columns

struct Column {
    const char *head;
    double x;
    QString DeadlineListLine::*text;
};

// Positions in twips from the printable area's left edge.
const Column Columns[] = {
    {"When", 0, &DeadlineListLine::when},
    {"Due", 850, &DeadlineListLine::due},
    {"Days Left", 2250, &DeadlineListLine::daysLeft},
    {"Employee", 3750, &DeadlineListLine::employee},
    {"File Number", 6000, &DeadlineListLine::fileNumber},
    {"Grievance", 7050, &DeadlineListLine::grievance},
    {"Step", 7950, &DeadlineListLine::step},
};

// The text cut to the room it has, with an ellipsis where it was cut.
QString fitted(const PrinterSurface &s, const QString &text, double room)
{
    auto width = [&](const QString &t) {
        return s.measure(t, s.fontName(), s.fontSize(), s.fontBold());
    };
    if (width(text) <= room)
        return text;
    QString cut = text;
    while (!cut.isEmpty() && width(cut + QStringLiteral("…")) > room)
        cut.chop(1);
    return cut + QStringLiteral("…");
}

void row(PrinterSurface &s, const std::function<QString(const Column &)> &textOf)
{
    const double y = s.currentY();
    const int n = int(std::size(Columns));
    for (int i = 0; i < n; ++i) {
        const double right = i + 1 < n ? Columns[i + 1].x - gap : DeadlineListPage::pageRight;
        s.setCurrentX(Columns[i].x);
        s.setCurrentY(y);
        s.print(fitted(s, textOf(Columns[i]), right - Columns[i].x), true);
    }
    s.print(QString(), false);
}

// Returns the height of one row, as the column heads took it.
double heading(PrinterSurface &s, const DeadlineListData &data, int page)
{
    s.setCurrentX(0);
    s.setCurrentY(0);
    s.setFontSize(titleSize);
    s.setFontBold(true);
    s.print(data.title, false);
    s.setFontSize(fontSize);
    s.setFontBold(false);
    s.print(data.subtitle + QStringLiteral("    Page %1").arg(page), false);
    s.print(QString(), false);
    s.setFontBold(true);
    const double top = s.currentY();
    row(s, [](const Column &c) { return QString::fromUtf8(c.head); });
    s.setFontBold(false);
    const double y = s.currentY();
    s.line(0, y, DeadlineListPage::pageRight, y + 10);
    s.setCurrentX(0);
    s.setCurrentY(y + 40);
    return y - top;
}

} // namespace

namespace DeadlineListPage
{

void draw(PrinterSurface &s, const DeadlineListData &data)
{
    s.setFontName(QStringLiteral("Arial"));
    int page = 1;
    const double rowHeight = heading(s, data, page);
    for (const DeadlineListLine &line : data.lines) {
        if (s.currentY() + rowHeight > pageBottom) {
            s.newPage();
            heading(s, data, ++page);
        }
        s.setFontBold(line.overdue);
        row(s, [&line](const Column &c) { return line.*(c.text); });
    }
    s.setFontBold(false);
}

} // namespace DeadlineListPage

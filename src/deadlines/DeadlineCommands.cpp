#include "deadlines/DeadlineCommands.h"

#include "deadlines/DeadlineFormat.h"
#include "deadlines/DeadlineTexts.h"
#include "deadlines/StepsWindow.h"
#include "deadlines/TimeLimitsWindow.h"
#include "jetsql/DataError.h"
#include "platform/Dialogs.h"
#include "records/CaseDatabase.h"
#include "records/DeadlineList.h"

#include <QLineEdit>
#include <QPointer>

using namespace DeadlineTexts;

namespace
{

QPointer<DeadlinesWindow> g_list;
QPointer<TimeLimitsWindow> g_limits;

// False, having said why, when the database cannot hold deadlines.
bool usable(const std::shared_ptr<CaseDatabase> &db, const char *title)
{
    if (db && db->isOpen() && DeadlineStore::available(*db))
        return true;
    if (db && db->isOpen())
        Dialogs::instance().message(QString::fromUtf8(Unavailable), Dialogs::Buttons::Ok,
                                    Dialogs::Icon::Exclamation, QString::fromUtf8(title));
    return false;
}

void refreshList()
{
    if (g_list)
        g_list->refresh();
}

void report(const DataError &e, const char *title)
{
    Dialogs::instance().message(e.description(), Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation,
                                QString::fromUtf8(title));
}

} // namespace

namespace DeadlineCommands
{

QKeySequence deadlinesShortcut()
{
    return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D);
}

TimeLimitsWindow *openTimeLimits(std::shared_ptr<CaseDatabase> db, QWidget *owner)
{
    if (!usable(db, LimitsTitle))
        return nullptr;
    if (g_limits) {
        g_limits->raise();
        g_limits->activateWindow();
        return g_limits;
    }
    try {
        g_limits = new TimeLimitsWindow(std::move(db), owner);
    } catch (const DataError &e) {
        report(e, LimitsTitle);
        return nullptr;
    }
    QObject::connect(g_limits, &TimeLimitsWindow::saved, g_limits, &refreshList);
    g_limits->open();
    return g_limits;
}

DeadlinesWindow *openDeadlines(std::shared_ptr<CaseDatabase> db, DeadlinesWindow::Hooks hooks,
                               QWidget *owner)
{
    if (!usable(db, ListTitle))
        return nullptr;
    if (g_list && (g_list->parentWidget() != owner || g_list->database() != db)) {
        g_list->close(); // over another database: it goes
        g_list.clear();
    }
    if (g_list)
        g_list->refresh();
    else
        g_list = new DeadlinesWindow(std::move(db), std::move(hooks), owner);
    g_list->show();
    g_list->raise();
    g_list->activateWindow();
    g_list->filterBox()->setFocus(Qt::OtherFocusReason);
    g_list->filterBox()->selectAll();
    return g_list;
}

StepsWindow *openSteps(std::shared_ptr<CaseDatabase> db,
                       const std::function<std::optional<ComplaintFacts>()> &saveAndRead,
                       QWidget *owner)
{
    if (!usable(db, StepsTitle))
        return nullptr;
    const std::optional<ComplaintFacts> facts = saveAndRead();
    if (!facts)
        return nullptr;
    StepsWindow *steps = nullptr;
    try {
        steps = new StepsWindow(std::move(db), *facts, owner);
    } catch (const DataError &e) {
        report(e, StepsTitle);
        return nullptr;
    }
    QObject::connect(steps, &StepsWindow::saved, steps, [] { refreshList(); });
    steps->open();
    return steps;
}

QString startupNotice(const CaseDatabase &db, QDate today)
{
    if (!db.isOpen() || !DeadlineStore::available(db))
        return {};
    try {
        const DeadlineStore::Rules rules = DeadlineStore::readRules(db);
        const DeadlineList::Counts c =
            DeadlineList::counts(db, today, rules.calendar.addWorkingDays(today, 3));
        QStringList parts;
        if (c.overdue > 0)
            parts << QString::fromUtf8(NoticeOverdue).arg(DeadlineFormat::count(c.overdue));
        if (c.soon > 0)
            parts << QString::fromUtf8(NoticeSoon).arg(DeadlineFormat::count(c.soon));
        if (parts.isEmpty())
            return {};
        return QString::fromUtf8(Notice).arg(
            parts.join(QStringLiteral(", ")),
            deadlinesShortcut().toString(QKeySequence::NativeText));
    } catch (const DataError &e) {
        return QString::fromUtf8(ReadFailed).arg(e.description());
    }
}

} // namespace DeadlineCommands

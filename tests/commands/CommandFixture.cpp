#include "commands/CommandFixture.h"

#include "commands/DamagedStart.h"
#include "records/CaseDatabase.h"

#include <QTabWidget>

CommandSession::CommandSession() : statusBar(new QStatusBar(&window))
{
    QObject::connect(&session, &CaseSession::status, &window,
                     [this](const QString &text) { statusLines << text; });
    // The commands that need the page shown ask the session.
    QObject::connect(form.SSTab2, &QTabWidget::currentChanged, &window,
                     [this](int page) { session.setCurrentPage(page); });
    session.setPanes({std::begin(form.Data1), std::end(form.Data1)});
}

CommandSession::~CommandSession() = default;

void CommandSession::open(const QString &location)
{
    DamagedStart::Opened opened = DamagedStart::openAtStart(session, location, true);
    session.attach(std::move(opened.db), opened.failure ? &*opened.failure : nullptr);
    // Said once the database is attached, as the window's status bar says it.
    if (!opened.notice.isEmpty())
        statusLines << opened.notice;
    session.startBackups();
}

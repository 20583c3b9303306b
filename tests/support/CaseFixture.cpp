#include "support/CaseFixture.h"

#include <QApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QUuid>

TempCaseDb::TempCaseDb()
    : m_checker(QStringLiteral("checker-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

TempCaseDb::~TempCaseDb()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_checker, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_checker);
}

std::shared_ptr<CaseDatabase> TempCaseDb::open()
{
    auto db = std::make_shared<CaseDatabase>(path());
    db->open();
    return db;
}

QSqlQuery TempCaseDb::query(const QString &sql, const QVariantList &params)
{
    if (!QSqlDatabase::contains(m_checker)) {
        // Create the schema through the program's own code first.
        if (!QFile::exists(path()))
            open();
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_checker);
        db.setDatabaseName(path());
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
    }
    QSqlQuery q(QSqlDatabase::database(m_checker));
    EXPECT_TRUE(q.prepare(sql)) << q.lastError().text().toStdString() << " in " << sql.toStdString();
    for (const QVariant &p : params)
        q.addBindValue(p);
    EXPECT_TRUE(q.exec()) << q.lastError().text().toStdString() << " in " << sql.toStdString();
    return q;
}

qint64 TempCaseDb::insert(const QString &table, const QVariantMap &values)
{
    QStringList cols, marks;
    QVariantList params;
    for (auto it = values.begin(); it != values.end(); ++it) {
        cols << QLatin1Char('"') + it.key() + QLatin1Char('"');
        marks << QStringLiteral("?");
        params << it.value();
    }
    QSqlQuery q = query(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(table, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                        params);
    return q.lastInsertId().toLongLong();
}

int TempCaseDb::count(const QString &table, const QString &where, const QVariantList &params)
{
    QSqlQuery q = query(QStringLiteral("SELECT COUNT(*) FROM %1%2")
                            .arg(table, where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where),
                        params);
    return q.next() ? q.value(0).toInt() : -1;
}

QVariantMap TempCaseDb::row(const QString &table, const QString &where, const QVariantList &params)
{
    QSqlQuery q = query(QStringLiteral("SELECT * FROM %1 WHERE %2").arg(table, where), params);
    QVariantMap m;
    if (q.next()) {
        const QSqlRecord r = q.record();
        for (int i = 0; i < r.count(); ++i)
            m.insert(r.fieldName(i), q.value(i));
    }
    return m;
}

void MainWindowTest::SetUp()
{
    QStandardPaths::setTestModeEnabled(true);
}

void MainWindowTest::start()
{
    if (!QFile::exists(db.path()))
        db.open();
    window = std::make_unique<frmMain>();
    window->Form_Load(db.path());
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
}

void MainWindowTest::TearDown()
{
    if (window) {
        window->close();
        window.reset();
    }
}

void MainWindowTest::typeInto(TextBox *box, const QString &text)
{
    box->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(box->editor(), text);
}

void MainWindowTest::clickTab(int page)
{
    QTabBar *bar = window->form().SSTab2->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(page).center());
}

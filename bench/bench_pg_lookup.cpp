// The file-number lookup over a shared database on the PostgreSQL test
// server (scripts/start-postgres.sh): the real window, offscreen, with real
// key events on the lookup box, against raw libpq running a prepared range
// query on the same index for the same prefix, in the same loop. The
// database quillmark_bench is filled once per size, outside every timing.
#include "caseform/RecordBinder.h"
#include "platform/TextBox.h"
#include "records/CaseDatabase.h"
#include "support/BenchApp.h"
#include "support/Comparison.h"
#include "support/OffscreenWindow.h"
#include "support/RawPg.h"

#include <QFile>
#include <QUrl>
#include <memory>

namespace
{

const QString Typed = QStringLiteral("00012");
const QString Database = QStringLiteral("quillmark_bench");

QString envValue(const QString &key)
{
    QFile f(RawPg::defaultEnvFile());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key.toUtf8() + '='))
            return QString::fromUtf8(line.mid(key.size() + 1));
    return {};
}

// The location of the benchmark database, made and filled with `employees`
// rows when it holds another number.
QString filledServer(std::int64_t employees)
{
    {
        RawPg admin(QStringLiteral("postgres"));
        if (admin.scalar("SELECT count(*) FROM pg_database WHERE datname = 'quillmark_bench'") == 0)
            admin.exec("CREATE DATABASE quillmark_bench");
    }
    const QString location =
        QStringLiteral("postgresql://%1@/%2?host=%3&port=%4")
            .arg(envValue(QStringLiteral("PGUSER")), Database,
                 QString::fromLatin1(QUrl::toPercentEncoding(envValue(QStringLiteral("PGHOST")))),
                 envValue(QStringLiteral("PGPORT")));
    CaseDatabase(location).open(); // the program's own tables
    RawPg raw(Database);
    if (raw.scalar("SELECT count(*) FROM \"Employee\"") != employees) {
        raw.exec("TRUNCATE \"Employee\", \"Complaints\"");
        const std::string n = std::to_string(employees);
        // Shuffled file numbers, a few without one, and names with accents.
        raw.exec("INSERT INTO \"Employee\" (\"File Number\", \"Name\", \"Department\") "
                 "SELECT CASE WHEN i % 100000 = 0 THEN NULL ELSE lpad(((i::bigint * 7919) % " +
                 n +
                 ")::text, 6, '0') END, CASE i % 3 WHEN 0 THEN 'Müller ' WHEN 1 THEN 'Émile ' "
                 "ELSE 'O''Brien ' END || i, 'D' || (i % 40) FROM generate_series(1, " +
                 n + ") i");
        raw.exec("INSERT INTO \"Complaints\" (\"File Number\", \"Case Facts1\") "
                 "SELECT lpad(((i::bigint * 7919) % " +
                 n +
                 ")::text, 6, '0'), 'Facts ' || i "
                 "FROM generate_series(1, " +
                 n + ") i");
        raw.exec("VACUUM ANALYZE \"Employee\"");
        raw.exec("VACUUM ANALYZE \"Complaints\"");
    }
    return location;
}

struct ServerLookup {
    explicit ServerLookup(std::int64_t employees)
        : location(filledServer(employees)), window(location), raw(Database)
    {
        raw.prepare("prefix", "SELECT * FROM \"Employee\" WHERE lower(\"File Number\") >= $1 "
                              "AND lower(\"File Number\") < $2 "
                              "ORDER BY lower(\"File Number\") NULLS FIRST, \"qm!key\" LIMIT 1");
        box()->setFocus(Qt::OtherFocusReason);
    }

    TextBox *box() { return window.form().txtFileNumber; }

    std::size_t rawFirst(const QString &prefix)
    {
        std::string from = prefix.toStdString(), to = from;
        ++to.back();
        return raw.firstRow("prefix", {from, to});
    }

    std::string mismatch(const QString &prefix)
    {
        const bool found = rawFirst(prefix) > 0;
        const QString shown = window.field(3)->text();
        if (box()->text() == prefix && found == shown.startsWith(prefix) &&
            found != shown.isEmpty())
            return {};
        return "After typing '" + prefix.toStdString() + "' the pane shows file number '" +
               shown.toStdString() + "' although the server finds " + (found ? "a match" : "none");
    }

    QString location;
    OffscreenWindow window;
    RawPg raw;
};

void BM_ServerLookupTyping(benchmark::State &state)
{
    const std::int64_t employees = state.range(0);
    std::unique_ptr<ServerLookup> l;
    try {
        l = std::make_unique<ServerLookup>(employees);
    } catch (const std::exception &e) {
        state.SkipWithError((std::string("no PostgreSQL test server: ") + e.what()).c_str());
        return;
    }
    const std::string size = ", " + std::to_string(employees) + " employees on the server";
    Comparison all("lookup, each key of 00012" + size, {2.0, 30.0});
    std::string wrong;
    int at = 0;
    for (auto _ : state) {
        if (at == 0)
            l->box()->setText(QString());
        const QString prefix = Typed.left(at + 1);
        const QChar c = Typed.at(at);
        const double s = all.window(
            [&] { l->window.keyClick(l->box(), Qt::Key_0 + (c.unicode() - '0'), QString(c)); });
        state.SetIterationTime(s);
        all.baseline([&] { benchmark::DoNotOptimize(l->rawFirst(prefix)); });
        if (wrong.empty())
            wrong = l->mismatch(prefix);
        at = (at + 1) % int(Typed.size());
    }
    if (BenchApp::failedWithMessage(state))
        return;
    if (!wrong.empty()) {
        state.SkipWithError(wrong.c_str());
        return;
    }
    all.publish(&state);
}

void registerAll(std::int64_t rows)
{
    benchmark::RegisterBenchmark("BM_ServerLookupTyping", BM_ServerLookupTyping)
        ->Arg(rows)
        ->ArgName("employees")
        ->UseManualTime()
        ->Iterations(500)
        ->Unit(benchmark::kMicrosecond);
}

} // namespace

int main(int argc, char **argv)
{
    return BenchApp::run(argc, argv, registerAll);
}

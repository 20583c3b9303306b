// Randomly damaged copies of a real case database, opened in turn: each one
// either opens, with every failure while reading or writing reported as a
// data error, or is reported at once and left exactly as it was.
#include "records/CaseDatabase.h"
#include "records/RecordSet.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>
#include <random>

namespace
{

QByteArray realDatabase(const QString &path)
{
    {
        auto db = std::make_shared<CaseDatabase>(path);
        db->open();
        db->write([](QSqlQuery &q) {
            for (int i = 0; i < 300; ++i) {
                q.prepare(QStringLiteral(
                    "INSERT INTO Employee (Name, \"File Number\", Address) VALUES (?, ?, ?)"));
                q.addBindValue(QStringLiteral("Employee %1").arg(i));
                q.addBindValue(QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')));
                q.addBindValue(QString(80, QChar(u'a' + i % 26)));
                q.exec();
                q.prepare(QStringLiteral(
                    "INSERT INTO Complaints (\"File Number\", \"Case Facts1\") VALUES (?, ?)"));
                q.addBindValue(QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')));
                q.addBindValue(QString(255, QChar(u'A' + i % 26)));
                q.exec();
            }
        });
    } // closing folds the journal into the file
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

// One of the ways files get damaged: bits flipped here and there, a run of
// garbage, a page of zeros, the header hit, or the end cut off.
QByteArray damage(QByteArray bytes, std::mt19937 &random)
{
    const auto at = [&](qsizetype n) {
        return qsizetype(random() % quint32(std::max<qsizetype>(n, 1)));
    };
    switch (random() % 5) {
    case 0:
        for (int i = 1 + int(random() % 20); i > 0; --i)
            bytes[at(bytes.size())] = char(bytes[at(bytes.size())] ^ char(1 << (random() % 8)));
        break;
    case 1: {
        const qsizetype start = at(bytes.size());
        for (qsizetype i = start; i < std::min(bytes.size(), start + 512); ++i)
            bytes[i] = char(random());
        break;
    }
    case 2: {
        const qsizetype page = at(bytes.size() / 4096) * 4096;
        bytes.replace(page, std::min<qsizetype>(4096, bytes.size() - page), QByteArray(4096, '\0'));
        break;
    }
    case 3:
        for (int i = 1 + int(random() % 4); i > 0; --i)
            bytes[at(100)] = char(random());
        break;
    default:
        bytes.truncate(at(bytes.size()));
        break;
    }
    return bytes;
}

struct Outcome {
    int opened = 0, refusedAtOpen = 0, failedLater = 0;
};

// Reads every record and tries one save, as a steward would; every failure
// must come out as a data error.
void use(const std::shared_ptr<CaseDatabase> &db, Outcome &o)
{
    try {
        for (const char *table : {"Employee", "Complaints"}) {
            RecordSet rs(db, QString::fromLatin1(table));
            for (rs.moveFirst(); rs.hasCurrent(); rs.moveNext())
                (void)rs.values();
            rs.addNew();
            rs.setValue(rs.fieldIndex(QStringLiteral("File Number")), QStringLiteral("999999"));
            rs.update();
        }
    } catch (const DataError &e) {
        EXPECT_FALSE(e.description().isEmpty());
        ++o.failedLater;
    }
}

TEST(FaultDamagedFile, EachDamagedCopyIsOpenedOrReportedAndNeverCrashesTheProgram)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray original = realDatabase(dir.path() + QStringLiteral("/original.db"));
    ASSERT_GT(original.size(), 40000);
    bool ok = false;
    const unsigned r0 = unsigned(qEnvironmentVariableIntValue("QUILLMARK_FAULT_RANDOM", &ok));
    const unsigned randomness = ok ? r0 : std::random_device{}();
    std::mt19937 random(randomness);
    Outcome o;
    for (int i = 0; i < 200; ++i) {
        const QString path = dir.path() + QStringLiteral("/copy%1.db").arg(i);
        const QByteArray damaged = damage(original, random);
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(damaged);
        }
        auto db = std::make_shared<CaseDatabase>(path);
        try {
            db->open();
        } catch (const DataError &e) {
            ++o.refusedAtOpen;
            EXPECT_FALSE(e.description().isEmpty());
            db.reset();
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_TRUE(f.readAll() == damaged)
                << "copy " << i << " was changed after it was refused";
            continue;
        }
        ++o.opened;
        use(db, o);
    }
    std::cout << "damaged copies 200: opened " << o.opened << " (of which failed while used "
              << o.failedLater << "), refused at open " << o.refusedAtOpen << ", random "
              << randomness << std::endl;
    EXPECT_EQ(o.opened + o.refusedAtOpen, 200);
}

} // namespace

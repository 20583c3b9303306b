#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// Makes case databases of a given size for the benchmarks: the schema comes
// from the program's own code (CaseDatabase::open()), the rows from a fixed
// random sequence, so the same sizes always give the same rows.
//
// Employees get unique six-digit file numbers with leading zeros, inserted in
// shuffled order so that rowid order says nothing about file number order.
// Complaints refer to existing employees: about a third of the employees have
// none, most have one to a few, and a handful of frequent filers have
// hundreds at a million rows.
class CaseDataGenerator
{
  public:
    // Six digits give a million distinct file numbers, no more.
    static constexpr std::int64_t MaxEmployees = 1'000'000;
    // The fixed start value of the random engine.
    static constexpr std::uint64_t FixedStart = 0x5157'4d31'2024'0611ULL;
    // Part of every cached file's name: bump it when the generated rows or
    // the schema change (2: the find index).
    static constexpr int FormatVersion = 2;

    CaseDataGenerator(std::int64_t employees, std::int64_t complaints);

    std::int64_t employees() const { return m_employees; }
    std::int64_t complaints() const { return m_complaints; }

    // Creates a new case database at path and fills it. A partly written
    // file never takes the name: rows go to a temporary file first, which
    // is renamed only once it is complete. Throws std::runtime_error (or
    // DataError from the program's schema code).
    void generate(const QString &path) const;

    // The generated database for these sizes, made once and kept in
    // cacheFolder() for the next run. Prints a line to stderr while it
    // generates, since a million rows take a while.
    QString cachedDatabase() const;
    QString cacheFileName() const;

    // $QUILLMARK_BENCH_CACHE, or quillmark-bench in the temporary folder.
    static QString cacheFolder();

    // Checks what the benchmarks rely on in a generated database; returns
    // the problems found (empty when it is sound).
    QStringList verify(const QString &path) const;

  private:
    void fill(const QString &path) const;

    std::int64_t m_employees = 0;
    std::int64_t m_complaints = 0;
};

#pragma once

#include "support/TempCaseDb.h"

#include "records/DeadlineList.h"
#include "records/DeadlineStore.h"

#include <QMap>
#include <random>

// A case database with employees and complaints whose steps were saved
// through the program, and beside it the model the tests check against:
// each complaint's steps, and the plan's own answer for them.
class DeadlineFixture : public ::testing::Test
{
  public:
    void SetUp() override;

    // Employees with these names (each twice, numbered), and `complaints`
    // complaints filed under their file numbers or under one no employee
    // has, each with random steps saved through DeadlineStore.
    void fill(int complaints, unsigned randomStart);

    // What the model says the list holds, in order, with the filter
    // keeping the complaints whose employee's name holds the text.
    QList<QPair<QDate, qint64>> expectedList(const QString &nameHolds = {}) const;
    // The list as the program pages through it.
    QList<QPair<QDate, qint64>> listed(DeadlineList &list, int pageRows) const;
    // Every stored next deadline, by Grievance Number.
    QMap<qint64, QPair<QDate, qint64>> stored();
    QMap<qint64, QPair<QDate, qint64>> expectedStored() const;

    TempCaseDb db;
    std::shared_ptr<CaseDatabase> cdb;
    DeadlineStore::Rules rules;
    QMap<qint64, ComplaintSteps> saved;
    QMap<qint64, QString> employeeOf; // complaint -> the name of its employee, if any
};

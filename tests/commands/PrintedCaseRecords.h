#pragma once

#include "records/CaseFields.h"
#include "records/CaseSchema.h"
#include "support/TempCaseDb.h"

#include <QCoreApplication>
#include <QDateTime>

// One filled-in employee and complaint whose file number no other test's
// print-out carries (`tag`, the process and the time); every field holds a
// text of its own, the case facts `caseFacts`. Returns the file number.
inline QString insertPrintedCase(TempCaseDb &db, const char *tag, const QString &caseFacts)
{
    const QString number = QStringLiteral("%1%2x%3")
                               .arg(QLatin1String(tag))
                               .arg(QCoreApplication::applicationPid())
                               .arg(QDateTime::currentMSecsSinceEpoch() % 1000000);
    QVariantMap employee, complaint;
    for (int i = 0; i < CaseFields::BoundFieldCount; ++i) {
        const auto f = CaseFields::Field(i);
        if (f == CaseFields::GrievanceNumber || f == CaseFields::CaseFacts3 ||
            f == CaseFields::CaseFacts2 || f == CaseFields::CaseFacts1)
            continue;
        (CaseFields::paneOf(f) == CaseFields::EmployeePane ? employee : complaint)
            .insert(QString::fromUtf8(CaseSchema::fieldName(f)), QStringLiteral("F%1").arg(i));
    }
    employee.insert(QStringLiteral("Name"), QStringLiteral("Pat Doe"));
    employee.insert(QStringLiteral("File Number"), number);
    complaint.insert(QStringLiteral("File Number"), number);
    // The stored pieces hold 255 characters each.
    for (int piece = 0; piece < 3; ++piece)
        complaint.insert(QStringLiteral("Case Facts%1").arg(piece + 1),
                         caseFacts.mid(piece * 255, 255));
    db.insert(QStringLiteral("Employee"), employee);
    db.insert(QStringLiteral("Complaints"), complaint);
    return number;
}

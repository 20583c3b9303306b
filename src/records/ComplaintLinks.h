#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class CaseDatabase;
class QSqlQuery;
struct StrandedComplaint;

// What ties complaints to their employee: a complaint belongs to the
// employee whose file number equals its own (in the sense the employee's
// complaints page lists them: letter case aside), and nothing else ties
// them. Every statement goes through the database's back end, so a file
// and a server answer alike. Each throws DataError.
namespace ComplaintLinks
{

// The keys of the complaints filed under fileNumber.
QList<qint64> complaintsUnder(const CaseDatabase &db, const QString &fileNumber);
// Names of the employees other than the one with key exceptKey (-1: none)
// who have this file number; at most `limit` of them.
QStringList employeesWith(const CaseDatabase &db, const QString &fileNumber, qint64 exceptKey,
                          int limit = 5);

// Work for the transaction that changes an employee's file number from
// `from` to `to`: the complaints with these keys follow it, and only they.
// When one of them is no longer under `from` (moved or deleted since they
// were counted), the work throws and the whole save is refused.
std::function<void(QSqlQuery &)> moveComplaints(const CaseDatabase &db, const QString &from,
                                                const QString &to, const QList<qint64> &keys);

// Files one complaint under another number, only while its row still holds
// every value it was listed with: a complaint changed or deleted meanwhile
// is reported (DataError WriteConflict or RowDeleted), never overwritten.
void changeFileNumber(const std::shared_ptr<CaseDatabase> &db, const StrandedComplaint &complaint,
                      const QString &to);

} // namespace ComplaintLinks

#pragma once

#include <QString>
#include <functional>
#include <memory>

class CaseDatabase;
class QSqlQuery;
struct StrandedComplaint;

// Writes that keep complaints with their employee: a complaint belongs to
// the employee whose file number equals its own, and nothing else ties them.
namespace ComplaintLinks
{

// Work for the transaction that changes an employee's file number from
// `from` to `to`: every complaint filed under `from` follows it.
std::function<void(QSqlQuery &)> moveComplaints(const QString &from, const QString &to);

// Files one complaint under another number, only while its row still holds
// every value it was listed with: a complaint changed or deleted meanwhile
// is reported (DataError WriteConflict or RowDeleted), never overwritten.
void changeFileNumber(const std::shared_ptr<CaseDatabase> &db, const StrandedComplaint &complaint,
                      const QString &to);

} // namespace ComplaintLinks

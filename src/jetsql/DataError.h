#pragma once

#include <QString>
#include <stdexcept>

// The program's catalogue of data errors. Each has a stable number that the
// steward sees in messages such as "Error:3001 ..." and that the README lists.
namespace DataErrors
{
constexpr int Syntax = 3001;          // an expression or statement that cannot be read
constexpr int UnknownField = 3002;    // a field name the table does not have
constexpr int UnknownTable = 3003;    // a table the database does not have
constexpr int Unsupported = 3004;     // a statement kind or construct not supported
constexpr int CannotOpen = 3010;      // the database file cannot be opened or created
constexpr int NotCaseDatabase = 3011; // the file opens but is not a case database
constexpr int WriteConflict = 3020;   // the row was changed by someone else since it was read
constexpr int NoCurrentRecord = 3021; // an operation needs a current record and there is none
constexpr int Locked = 3022;          // another program holds the database longer than we wait
constexpr int DiskFull = 3023;        // the disk (or the database's size limit) is full
constexpr int ReadOnly = 3024;        // the file or folder cannot be written
constexpr int Corrupt = 3025;         // the file is damaged
constexpr int RowDeleted = 3026;      // the row was deleted by someone else
constexpr int Unreachable = 3027;     // the shared database's server cannot be reached
constexpr int General = 3030;         // any other error the database reports
} // namespace DataErrors

// A failed data operation: its catalogue number and a description for the steward.
class DataError : public std::runtime_error
{
  public:
    DataError(int number, const QString &description)
        : std::runtime_error(description.toStdString()), m_number(number),
          m_description(description)
    {
    }

    int number() const { return m_number; }
    const QString &description() const { return m_description; }
    // "3001 Syntax error ..." as the grid window's "Error:" messages show it.
    QString numbered() const
    {
        return QString::number(m_number) + QLatin1Char(' ') + m_description;
    }

  private:
    int m_number = DataErrors::General;
    QString m_description;
};

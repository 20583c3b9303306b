#pragma once

#include <QString>
#include <cstdint>
#include <string>

// The case database the server benchmarks share, on the PostgreSQL test
// server of scripts/start-postgres.sh: the program makes its own tables in
// the database quillmark_bench, then generate_series fills them, outside
// every timing, to the size asked (kept for the next run of that size).
//
// Employees: shuffled six-digit file numbers (a few without one), names
// with accents and apostrophes, a hundred departments "D00".."D99".
// Complaints: one in four employees has four of them, the rest none, and
// the employee with file number MostComplaints has 300 more.
namespace PgBenchServer
{

extern const char *const Database;
extern const char *const MostComplaints;

// The location (a postgresql:// URI) of the database `name` on the test
// server, made empty when it is not there. Throws std::runtime_error when
// there is no test server.
QString database(const char *name);

// The location (a postgresql:// URI) of the database filled with `rows`
// employees and about as many complaints. Throws std::runtime_error when
// there is no test server.
QString filled(std::int64_t rows);

// File numbers for the page switch: an employee without a complaint, one
// with a few, the one with the most.
std::string withoutComplaint(std::int64_t rows);
std::string withAFewComplaints();

} // namespace PgBenchServer

#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

// Makes the values of one generated employee or complaint at a time from a
// random engine that starts at a fixed value. Only the engine's raw output
// is used (mt19937_64's sequence is the same in every standard library), so
// the rows do not depend on which library built the generator.
//
// An empty value stands for NULL, as the window stores an emptied box.
class CaseRowMaker
{
  public:
    // The fields a maker fills, in the order of its value arrays.
    static constexpr std::array<const char *, 11> EmployeeFields{
        "Name",           "Department", "Shift Start Time",  "File Number",
        "Home Phone",     "Work Phone", "Company Seniority", "Class Seniortity",
        "Classification", "Address",    "Days Off"};
    static constexpr std::array<const char *, 10> ComplaintFields{"File Number",
                                                                  "Contract Provinsions",
                                                                  "Date of Violation",
                                                                  "Remedy Sought",
                                                                  "Supervisor First Contacted",
                                                                  "Contact Date",
                                                                  "Supervisor's Oral Answer Date",
                                                                  "Case Facts1",
                                                                  "Case Facts2",
                                                                  "Case Facts3"};
    static constexpr int FileNumberField = 3;  // in EmployeeFields
    static constexpr int CaseFactsPiece = 255; // characters in each stored piece
    static constexpr int CaseFactsMax = 3 * CaseFactsPiece;

    using EmployeeRow = std::array<std::string, EmployeeFields.size()>;
    using ComplaintRow = std::array<std::string, ComplaintFields.size()>;

    explicit CaseRowMaker(std::uint64_t start) : m_engine(start) {}

    // A number in [0, n).
    std::uint64_t below(std::uint64_t n);
    bool chance(int percent) { return below(100) < std::uint64_t(percent); }

    static std::string fileNumber(int number); // six digits, leading zeros kept

    void employee(std::string_view fileNumber, EmployeeRow &row);
    void complaint(std::string_view fileNumber, ComplaintRow &row);

    // Case facts as the editor would store them: up to 765 characters, with
    // the occasional CR LF, cut into three pieces of 255.
    std::string caseFacts();

  private:
    template <typename List> std::string_view pick(const List &list)
    {
        return list[below(list.size())];
    }
    std::string personName();
    std::string phone();
    std::string date(int firstYear, int lastYear);
    std::string address();

    std::mt19937_64 m_engine;
};

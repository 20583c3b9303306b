#include "support/CaseRowMaker.h"

#include "support/CaseVocabulary.h"

#include <cstdio>

using namespace CaseVocabulary;

std::uint64_t CaseRowMaker::below(std::uint64_t n)
{
    // The high half of a 128-bit product: no modulo bias worth the name and
    // no library-defined distribution in the way.
    return std::uint64_t((static_cast<unsigned __int128>(m_engine()) * n) >> 64);
}

std::string CaseRowMaker::fileNumber(int number)
{
    char text[8];
    std::snprintf(text, sizeof text, "%06d", number);
    return text;
}

std::string CaseRowMaker::personName()
{
    std::string name(pick(FirstNames));
    if (chance(60)) {
        name += ' ';
        name += char('A' + below(26));
        name += '.';
    }
    name += ' ';
    name += pick(LastNames);
    return name;
}

std::string CaseRowMaker::phone()
{
    char text[16];
    static constexpr int AreaCodes[] = {419, 513, 614, 740, 937};
    std::snprintf(text, sizeof text, "(%03d) %03d-%04d", AreaCodes[below(5)], int(200 + below(800)),
                  int(below(10000)));
    return text;
}

std::string CaseRowMaker::date(int firstYear, int lastYear)
{
    char text[12];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", int(1 + below(12)), int(1 + below(28)),
                  int(firstYear + below(std::uint64_t(lastYear - firstYear + 1))));
    return text;
}

std::string CaseRowMaker::address()
{
    std::string a = std::to_string(1 + below(19999));
    a += ' ';
    a += pick(Streets);
    a += ' ';
    a += pick(StreetKinds);
    if (chance(20))
        a += ", Apt " + std::to_string(1 + below(400));
    a += ", ";
    a += pick(Cities);
    a += ", OH ";
    a += std::to_string(43000 + below(2000));
    return a;
}

void CaseRowMaker::employee(std::string_view fileNumber, EmployeeRow &row)
{
    row[0] = personName();
    row[1] = pick(Departments);
    row[2] = pick(ShiftStarts);
    row[3] = fileNumber;
    row[4] = chance(95) ? phone() : std::string();
    row[5] = chance(70) ? phone() : std::string();
    const int hired = int(1975 + below(49));
    row[6] = date(hired, hired);
    row[7] = date(hired, 2023); // the classification came in the hiring year or later
    row[8] = pick(Classifications);
    if (chance(25))
        row[8] += " Grade " + std::to_string(1 + below(3));
    row[9] = address();
    row[10] = chance(90) ? std::string(pick(DaysOff)) : std::string();
}

std::string CaseRowMaker::caseFacts()
{
    std::size_t length;
    if (chance(10))
        return {};
    if (chance(5))
        length = CaseFactsMax; // the editor's limit, all three pieces full
    else
        length = 1 + below(CaseFactsMax);
    std::string facts;
    facts.reserve(length + 32);
    bool sentenceStart = true;
    while (facts.size() < length) {
        std::string word(pick(FactWords));
        if (sentenceStart && word[0] >= 'a' && word[0] <= 'z')
            word[0] = char(word[0] - 'a' + 'A');
        facts += word;
        sentenceStart = chance(12);
        if (sentenceStart)
            facts += chance(15) ? ".\r\n" : ". ";
        else
            facts += ' ';
    }
    // Cut in characters, not bytes, as the box counts them; the vocabulary
    // of case facts is plain ASCII, so the two agree.
    facts.resize(length);
    return facts;
}

void CaseRowMaker::complaint(std::string_view fileNumber, ComplaintRow &row)
{
    row[0] = fileNumber;
    row[1] = "Article " + std::to_string(1 + below(40));
    if (chance(70))
        row[1] += ", Section " + std::to_string(1 + below(12));
    if (chance(15))
        row[1] += "(b)";
    static constexpr const char *Months[] = {"January",   "February", "March",    "April",
                                             "May",       "June",     "July",     "August",
                                             "September", "October",  "November", "December"};
    row[2] = std::string(Months[below(12)]) + ' ' + std::to_string(1 + below(28)) + ", " +
             std::to_string(2015 + below(9));
    if (chance(20))
        row[2] += " and ongoing";
    row[3] = pick(Remedies);
    row[4] = personName();
    row[5] = date(2015, 2023);
    row[6] = chance(60) ? date(2015, 2023) : std::string();
    const std::string facts = caseFacts();
    for (std::size_t piece = 0; piece < 3; ++piece) {
        const std::size_t at = piece * CaseFactsPiece;
        row[7 + piece] = at < facts.size() ? facts.substr(at, CaseFactsPiece) : std::string();
    }
}

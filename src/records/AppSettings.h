#pragma once

#include <QString>

// Settings the start procedure fills in once, read by the record browser.
namespace AppSettings
{
extern QString DatabasePath;
extern QString ConnectString;
extern QString GridRecordSource; // never assigned: always empty
} // namespace AppSettings

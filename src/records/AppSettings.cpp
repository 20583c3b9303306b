#include "records/AppSettings.h"

namespace AppSettings
{
QString DatabasePath;
QString ConnectString;
QString GridRecordSource;
} // namespace AppSettings

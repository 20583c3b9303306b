#include "deadlines/DeadlineSettings.h"

#include "platform/core/AppInfo.h"

#include <QSettings>

namespace
{
const QString Key = QStringLiteral("Settings/Numeric Date Order");
}

namespace DeadlineSettings
{

NumericOrder numericOrder()
{
    const int stored = QSettings(AppInfo::title(), AppInfo::title()).value(Key, 0).toInt();
    return stored == 1 || stored == 2 ? NumericOrder(stored) : NumericOrder::Unset;
}

void setNumericOrder(NumericOrder order)
{
    QSettings(AppInfo::title(), AppInfo::title()).setValue(Key, int(order));
}

} // namespace DeadlineSettings

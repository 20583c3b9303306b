#pragma once

#include "records/DateBoxReading.h"

// The steward's own choices about deadlines, kept in the settings store
// beside the window's placement: how dates in numbers alone are written.
namespace DeadlineSettings
{

NumericOrder numericOrder();
void setNumericOrder(NumericOrder order);

} // namespace DeadlineSettings

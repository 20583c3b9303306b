#pragma once

#include <QString>

// Every position on the form follows Arial's widths and heights. Where the
// system has no Arial and substitutes a face with other metrics, texts no
// longer line up with the form's rules, and the steward is to know.
namespace FormFont
{

// What the steward is told when "Arial" resolves to a face without Arial's
// metrics; empty when the form prints in Arial or a metric-compatible face.
QString substitutionWarning();

} // namespace FormFont

#pragma once
// Numbers as the record files and the windows show them: printf patterns
// with the system locale's decimal separator. Qt's formatting rounds exact
// binary halves away from zero ("%5.1f" of 24.25 gives "24,3").
#include <QString>

namespace vx
{

// A printf pattern ("%5.1f", "%1.0f %%", ...) with the locale's decimal
// separator (QLocale()).
QString format_number(const char* pattern, double value);
// The same as "%<width>.<precision>f".
QString format_fixed(double value, int width, int precision);

} // namespace vx

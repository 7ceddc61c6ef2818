#pragma once
// Readable Qt strings in GoogleTest failure messages.
// (Lists of strings print as lists of these.)
#include <QString>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

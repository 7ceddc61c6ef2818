#pragma once
// Text for a terminal or a log: names and values that come from a logger or
// a file may hold control characters, which a terminal would obey (a title
// change, colours, a cleared line) rather than show.
#include <QString>
#include <QStringView>

namespace vx
{

// text with every control character (U+0000..U+001F, U+007F..U+009F)
// written out as `ls -b` shows it: \a \b \t \n \v \f \r, \e for escape, any
// other as a backslash and three octal digits (\000, \233). Everything else
// stays as it is.
QString printable(QStringView text);

} // namespace vx

#include "base/number_format.h"

#include <QByteArray>
#include <QLocale>

namespace vx
{

QString format_number(const char* pattern, double value)
{
    QString s = QString::asprintf(pattern, value);
    const QString point = QLocale().decimalPoint();
    if (point != QLatin1String(".")) s.replace(QLatin1Char('.'), point);
    return s;
}

QString format_fixed(double value, int width, int precision)
{
    const QByteArray pattern = "%" + QByteArray::number(width) + "." + QByteArray::number(precision) + "f";
    return format_number(pattern.constData(), value);
}

} // namespace vx

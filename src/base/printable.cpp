#include "base/printable.h"

namespace vx
{

QString printable(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u >= 0x20 && (u < 0x7F || u > 0x9F)) {
            out += ch;
            continue;
        }
        static constexpr char named[] = "\aa\bb\tt\nn\vv\ff\rr\033e";
        const char* hit = nullptr;
        for (const char* p = named; *p; p += 2)
            if (char16_t(static_cast<unsigned char>(*p)) == u) hit = p;
        out += QLatin1Char('\\');
        if (hit)
            out += QLatin1Char(hit[1]);
        else
            out += QString::number(int(u), 8).rightJustified(3, QLatin1Char('0'));
    }
    return out;
}

} // namespace vx

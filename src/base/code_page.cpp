#include "base/code_page.h"

#include <QList>

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace vx
{
namespace
{

// One conversion with iconv; on an invalid or unmappable sequence the
// replacement is emitted and the offending input unit is skipped. nullopt
// when iconv has no such conversion.
std::optional<QByteArray> convert(const char* to, const char* from, const QByteArray& in,
                                  const QByteArray& replacement, int unit)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    QByteArray out;
    out.reserve(in.size() * 2 + 16);
    std::vector<char> buf(4096);
    char* src = const_cast<char*>(in.constData());
    size_t src_left = static_cast<size_t>(in.size());
    while (src_left > 0) {
        char* dst = buf.data();
        size_t dst_left = buf.size();
        size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
        out.append(buf.data(), static_cast<qsizetype>(buf.size() - dst_left));
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL: replace one input unit and go on.
            out.append(replacement);
            size_t skip = std::min<size_t>(static_cast<size_t>(unit), src_left);
            src += skip;
            src_left -= skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace

QString from_cp1250(const QByteArray& bytes)
{
    // Without a converter the ASCII part still reads (every other byte as U+FFFD).
    if (const auto utf8 = convert("UTF-8", "CP1250", bytes, QByteArray("\xEF\xBF\xBD"), 1))
        return QString::fromUtf8(*utf8);
    QString out(bytes.size(), QChar(0xFFFD));
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) < 0x80) out[i] = QLatin1Char(bytes[i]);
    return out;
}

QString from_cp1250_distinct(const QByteArray& bytes)
{
    // Every character of the code page lies in the first plane: one
    // character per byte, so each U+FFFD stands where its byte stood.
    QString out = from_cp1250(bytes);
    if (out.size() != bytes.size()) return out;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (out[i] == QChar(0xFFFD) && b >= 0x80) out[i] = QChar(b);
    }
    return out;
}

std::optional<QByteArray> to_cp1250(const QString& text)
{
    // Go through UTF-32 so that an unmappable character is skipped whole.
    QByteArray u32;
    u32.reserve(text.size() * 4);
    for (char32_t c : text.toUcs4()) {
        u32.append(static_cast<char>(c & 0xFF));
        u32.append(static_cast<char>((c >> 8) & 0xFF));
        u32.append(static_cast<char>((c >> 16) & 0xFF));
        u32.append(static_cast<char>((c >> 24) & 0xFF));
    }
    return convert("CP1250", "UTF-32LE", u32, QByteArray("?"), 4);
}

} // namespace vx

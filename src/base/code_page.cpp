#include "base/code_page.h"

#include <QList>
#include <QStringDecoder>

#include <iconv.h>

#include <algorithm>
#include <array>
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

// The character of every byte value as the system converter reads it (the
// code page maps each byte on its own); undefined bytes read as U+FFFD.
// Without a converter the ASCII half still reads.
std::array<char16_t, 256> cp1250_characters()
{
    std::array<char16_t, 256> table;
    table.fill(u'\uFFFD');
    for (int b = 0; b < 0x80; ++b)
        table[b] = char16_t(b);
    iconv_t cd = iconv_open("UTF-16LE", "CP1250");
    if (cd == reinterpret_cast<iconv_t>(-1)) return table;
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        unsigned char out[4];
        char* src = &in;
        char* dst = reinterpret_cast<char*>(out);
        size_t src_left = 1, dst_left = sizeof out;
        if (iconv(cd, &src, &src_left, &dst, &dst_left) != static_cast<size_t>(-1) && dst_left == 2)
            table[b] = static_cast<char16_t>(out[0] | out[1] << 8);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return table;
}

} // namespace

QString from_cp1250(const QByteArray& bytes)
{
    QString out;
    append_cp1250(out, bytes);
    return out;
}

QString from_utf8_or_cp1250(const QByteArray& bytes)
{
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char b) { return (b & 0x80) == 0; });
    if (ascii) return from_cp1250(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? from_cp1250(bytes) : text;
}

void append_cp1250(QString& text, QByteArrayView bytes)
{
    const std::array<char16_t, 256> table = cp1250_characters();
    const qsizetype at = text.size();
    text.resize(at + bytes.size());
    char16_t* out = reinterpret_cast<char16_t*>(text.data()) + at;
    for (const char b : bytes)
        *out++ = table[static_cast<unsigned char>(b)];
}

QString from_cp1250_distinct(const QByteArray& bytes)
{
    // One character per byte, so each U+FFFD stands where its byte stood.
    QString out = from_cp1250(bytes);
    for (qsizetype i = 0; i < out.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (out[i] == QChar(0xFFFD) && b >= 0x80) out[i] = QChar(b);
    }
    return out;
}

QString without_trailing_blanks(QString text)
{
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == QLatin1Char(' '))
        --n;
    text.truncate(n);
    return text;
}

std::optional<char32_t> first_outside_cp1250(const QString& text)
{
    static const std::array<char16_t, 256> table = cp1250_characters();
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x80) continue;
        // U+FFFD marks the bytes the code page leaves undefined; it is no character of it.
        if (c == 0xFFFD || c > 0xFFFF || std::find(table.begin(), table.end(), char16_t(c)) == table.end())
            return c;
    }
    return std::nullopt;
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

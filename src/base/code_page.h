#pragma once
// Texts in files use the Windows Central European code page (1250).
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace vx
{

// Bytes in code page 1250 to text. Bytes that the code page leaves
// undefined become U+FFFD.
QString from_cp1250(const QByteArray& bytes);
// Bytes of a file a user may have saved with a UTF-8 editor: read as UTF-8
// (without its byte-order mark) when they are valid UTF-8 and hold at least
// one character outside ASCII, else in code page 1250.
QString from_utf8_or_cp1250(const QByteArray& bytes);
// Appends bytes in code page 1250 to text, each byte as from_cp1250 reads
// it, without going through an intermediate copy: for files of many
// megabytes, read in pieces.
void append_cp1250(QString& text, QByteArrayView bytes);
// The same, except that the undefined bytes (0x81, 0x83, 0x88, 0x90, 0x98)
// become the control characters of the same number (U+0081 ...), so that
// texts that differ in such bytes stay different (names read from a logger).
QString from_cp1250_distinct(const QByteArray& bytes);
// A text without the blanks at its end: names on a logger are padded with
// blanks to their field, and the download marks key on the name without them.
QString without_trailing_blanks(QString text);
// Text to code page 1250; characters the code page lacks become '?'.
// nullopt when the system offers no conversion to the code page at all:
// writers then fail rather than write empty text.
std::optional<QByteArray> to_cp1250(const QString& text);
// The first character of text that code page 1250 has no byte for (a lone
// surrogate and U+FFFD, what an invalid UTF-8 sequence reads as, included);
// nullopt when the code page holds every one.
std::optional<char32_t> first_outside_cp1250(const QString& text);

} // namespace vx

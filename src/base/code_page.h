#pragma once
// Texts in files use the Windows Central European code page (1250).
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace vx
{

// Bytes in code page 1250 to text. Bytes that the code page leaves
// undefined become U+FFFD.
QString from_cp1250(const QByteArray& bytes);
// Appends bytes in code page 1250 to text, each byte as from_cp1250 reads
// it, without going through an intermediate copy: for files of many
// megabytes, read in pieces.
void append_cp1250(QString& text, QByteArrayView bytes);
// Text to code page 1250; characters the code page lacks become '?'.
QByteArray to_cp1250(const QString& text);

} // namespace vx

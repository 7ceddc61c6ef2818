#pragma once
// Texts in files use the Windows Central European code page (1250).
#include <QByteArray>
#include <QString>

namespace vx
{

// Bytes in code page 1250 to text. Bytes that the code page leaves
// undefined become U+FFFD.
QString from_cp1250(const QByteArray& bytes);
// Text to code page 1250; characters the code page lacks become '?'.
QByteArray to_cp1250(const QString& text);

} // namespace vx

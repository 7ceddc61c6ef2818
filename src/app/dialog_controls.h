#pragma once
// Small helpers of the dialogs that are built in code.
#include <QString>

namespace vx
{

// Names a control (objectName = its control name) and gives it its hint.
template <class W> W* named(W* w, const char* name, const char* hint = nullptr)
{
    w->setObjectName(QString::fromLatin1(name));
    if (hint) w->setToolTip(QString::fromUtf8(hint));
    return w;
}

// A caption or hint written in the source (UTF-8).
inline QString u(const char* s)
{
    return QString::fromUtf8(s);
}

} // namespace vx

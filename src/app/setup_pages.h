#pragma once
// Helpers shared by the pages of the setup dialog (setup_*.cpp).
#include <QLineEdit>
#include <cstdint>
#include <initializer_list>

namespace vx
{

// A short number field of the device pages, named, holding text.
inline QLineEdit* setup_edit(QWidget* parent, const char* name, const char* text = "0")
{
    auto* e = new QLineEdit(QString::fromLatin1(text), parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaximumWidth(110);
    return e;
}

inline bool one_of(std::uint16_t type, std::initializer_list<int> types)
{
    for (int t : types)
        if (t == type) return true;
    return false;
}

} // namespace vx

#pragma once
// Small helpers of the dialogs that are built in code.
#include "base/language.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QString>
#include <utility>
#include <vector>

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

// The caption of a label, button, check box or group box.
inline QString caption_of(const QWidget* w)
{
    if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(w)) return group->title();
    return {};
}
inline void set_caption(QWidget* w, const QString& text)
{
    if (auto* label = qobject_cast<QLabel*>(w)) label->setText(text);
    if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setText(text);
    if (auto* group = qobject_cast<QGroupBox*>(w)) group->setTitle(text);
}

// Controls whose caption or hint is a text of the language table's own (one
// with a built-in text, outside the window's block): registered as they are
// made, given their texts by apply() at creation and at every ChangeLanguage.
class OwnTexts
{
public:
    template <class W> W* caption(W* w, const char* key)
    {
        captions_.emplace_back(w, key);
        return w;
    }
    template <class W> W* hint(W* w, const char* key)
    {
        hints_.emplace_back(w, key);
        return w;
    }
    void apply(const Language& L) const
    {
        for (const auto& [w, key] : captions_)
            set_caption(w, L.text(QLatin1String(key)));
        for (const auto& [w, key] : hints_)
            w->setToolTip(L.text(QLatin1String(key)));
    }

private:
    std::vector<std::pair<QWidget*, const char*>> captions_, hints_;
};

} // namespace vx

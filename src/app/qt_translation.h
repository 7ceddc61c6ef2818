#pragma once
// Qt's own texts (standard buttons, file and print dialogs, context menus of
// text fields) in the language of a language-file section: Qt's
// translation qtbase_<code>.qm from its translations folder (Debian's
// qt6-translations-l10n).
#include <QTranslator>
#include <memory>

namespace vx
{

class QtTranslation : public QTranslator
{
public:
    // Loads Qt's translation for section ("SLOVAK": qtbase_sk); false when
    // the section names no language Qt has a translation for.
    bool load_for(const QString& section);

    // Some translations still file the standard buttons' texts (Yes, No,
    // Cancel) under Qt 5's QDialogButtonBox: they stand in for Qt 6's.
    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override;
};

// Replaces the application's Qt translation held in installed by the one for
// section (none when Qt has no translation for it).
void install_qt_translation(std::unique_ptr<QtTranslation>& installed, const QString& section);

} // namespace vx

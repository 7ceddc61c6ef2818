#include "app/qt_translation.h"

#include "base/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace vx
{

bool QtTranslation::load_for(const QString& section)
{
    const QString code = qt_language_code(section);
    return !code.isEmpty() &&
           load(QStringLiteral("qtbase_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

QString QtTranslation::translate(const char* context, const char* source, const char* disambiguation,
                                 int n) const
{
    const QString text = QTranslator::translate(context, source, disambiguation, n);
    if (!text.isEmpty() || qstrcmp(context, "QPlatformTheme") != 0) return text;
    return QTranslator::translate("QDialogButtonBox", source, disambiguation, n);
}

void install_qt_translation(std::unique_ptr<QtTranslation>& installed, const QString& section)
{
    if (installed) QCoreApplication::removeTranslator(installed.get());
    auto translation = std::make_unique<QtTranslation>();
    if (translation->load_for(section)) {
        QCoreApplication::installTranslator(translation.get());
        installed = std::move(translation);
    } else {
        installed.reset();
    }
}

} // namespace vx

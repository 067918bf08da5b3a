#include "viewer/common/QtStandardTexts.h"

#include "viewer/common/ResourceModule.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace {

std::unique_ptr<QTranslator>& Installed()
{
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

// The locale that the set with the language code `language` ("DE", ..., "JP") is written for.
QLocale LocaleOf(const QString& language)
{
    struct Entry
    {
        const char* code;
        QLocale::Language language;
        QLocale::Territory territory;
    };
    static constexpr Entry kLocales[] = {
        {"DE", QLocale::German, QLocale::Germany}, {"EN", QLocale::English, QLocale::UnitedStates},
        {"ES", QLocale::Spanish, QLocale::Spain},  {"FR", QLocale::French, QLocale::France},
        {"JP", QLocale::Japanese, QLocale::Japan}, {"KO", QLocale::Korean, QLocale::SouthKorea},
        {"RU", QLocale::Russian, QLocale::Russia}, {"SC", QLocale::Chinese, QLocale::China},
        {"TC", QLocale::Chinese, QLocale::Taiwan}, {"TH", QLocale::Thai, QLocale::Thailand},
    };
    for (const Entry& entry : kLocales) {
        if (language == QLatin1String(entry.code)) {
            return QLocale(entry.language, entry.territory);
        }
    }
    return QLocale(QLocale::Japanese, QLocale::Japan); // the built-in set's
}

} // namespace

namespace QtStandardTexts {

void Install()
{
    Remove();
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(LocaleOf(ResourceModule::Language()), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator.get())) {
        Installed() = std::move(translator);
    }
}

void Remove()
{
    if (Installed()) {
        QCoreApplication::removeTranslator(Installed().get());
        Installed().reset();
    }
}

} // namespace QtStandardTexts

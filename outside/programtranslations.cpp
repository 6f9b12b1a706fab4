#include "outside/programtranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

namespace {
QStringList translationFolders()
{
    const QString program = QCoreApplication::applicationDirPath();
    return {program + QStringLiteral("/translations"), program + QStringLiteral("/../share/vek-updater/translations")};
}

QString qtTranslationFolder()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
    return QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
}

// The first of the user's languages that a file named name_LANGUAGE.qm exists for.
bool load(QTranslator &translator, const QLocale &locale, const QString &name, const QStringList &folders)
{
    for (const QString &folder : folders) {
        if (translator.load(locale, name, QStringLiteral("_"), folder))
            return true;
    }
    return false;
}
}

void installProgramTranslations(QCoreApplication &application)
{
    auto *own = new QTranslator(&application);
    // English has a file too, for its plural forms: an English user whose further
    // languages include a translated one still gets English, and a system with no
    // language of its own (the C locale) gets English as well, "1 camera" included.
    if (!load(*own, QLocale::system(), QStringLiteral("vek-updater"), translationFolders())
        && !load(*own, QLocale(QLocale::English), QStringLiteral("vek-updater"), translationFolders()))
        return;
    application.installTranslator(own);
    auto *qt = new QTranslator(&application);
    if (load(*qt, QLocale(own->language()), QStringLiteral("qtbase"), translationFolders() << qtTranslationFolder()))
        application.installTranslator(qt);
}

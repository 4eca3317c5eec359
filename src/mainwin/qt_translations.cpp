// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace vcq
{

bool followLanguageInQtDialogs(Language language)
{
    // One translator for the program's life, installed while French is chosen.
    static QTranslator *translator = nullptr;
    if (!translator)
        translator = new QTranslator(QCoreApplication::instance());
    QCoreApplication::removeTranslator(translator);
    if (language != Language::French)
        return true;
    // "qt_fr" gathers the catalogues of every Qt module that has one.
    if (!translator->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qt"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(translator);
}

} // namespace vcq

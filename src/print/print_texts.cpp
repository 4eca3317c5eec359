#include "print_texts.h"

namespace vcq::print
{

PrintTexts printTexts(int language)
{
    if (language == 1)
        return {
            QStringLiteral("Impression du Carnetique"),
            QStringLiteral("Selection du format d'impression"),
            QStringLiteral("&Imprimer"),
            QStringLiteral("&Annuler"),
            QStringLiteral("&Configuration imprimante"),
            QStringLiteral("Voulez-vous vraiment imprimer ?"),
            QStringLiteral("Aucune imprimante n'est installée. Le document a été enregistré "
                           "dans le fichier %1"),
            QStringLiteral("L'impression a échoué !"),
            QStringLiteral("Aucune imprimante n'est installée, et %1 n'est pas un fichier "
                           "ordinaire (lien symbolique, tube ou dossier) : rien n'a été écrit."),
        };
    return {
        QStringLiteral("Print Carnetique"),
        QStringLiteral("Select print format"),
        QStringLiteral("&Print"),
        QStringLiteral("&Cancel"),
        QStringLiteral("P&rinter Setup"),
        QStringLiteral("Do you really want to print ?"),
        QStringLiteral("No printer is installed. The document was saved in the file %1"),
        QStringLiteral("Printing failed !"),
        QStringLiteral("No printer is installed, and %1 is not an ordinary file (a symbolic "
                       "link, a pipe or a folder): nothing was written."),
    };
}

} // namespace vcq::print

// SPDX-License-Identifier: GPL-3.0-or-later
#include "print_texts.h"

namespace vcq::print
{

PrintTexts printTexts(Language language)
{
    const auto pair = [language](TextPair p) { return p.in(language); };
    return {
        pair({"Impression du Carnetique", "Print Carnetique"}),
        pair({"Selection du format d'impression", "Select print format"}),
        pair({"&Imprimer", "&Print"}),
        pair({"&Annuler", "&Cancel"}),
        pair({"&Configuration imprimante", "P&rinter Setup"}),
        pair({"Voulez-vous vraiment imprimer ?", "Do you really want to print ?"}),
        pair({"Aucune imprimante n'est installée. Le document a été enregistré dans le fichier %1",
              "No printer is installed. The document was saved in the file %1"}),
        pair({"L'impression a échoué !", "Printing failed !"}),
        pair({"Aucune imprimante n'est installée, et %1 n'est pas un fichier ordinaire (lien "
              "symbolique, tube ou dossier) : rien n'a été écrit.",
              "No printer is installed, and %1 is not an ordinary file (a symbolic link, a pipe "
              "or a folder): nothing was written."}),
    };
}

} // namespace vcq::print

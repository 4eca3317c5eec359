// SPDX-License-Identifier: GPL-3.0-or-later
#include "store_error_texts.h"

namespace vcq
{

std::string storeErrorText(StoreErrc kind, bool french)
{
    switch (kind) {
    case StoreErrc::Io:
        return {};
    case StoreErrc::WrongFileFormat:
        return french ? "Format de fichier invalide !" : "Wrong file format !";
    case StoreErrc::ReservedLastName:
        return french ? "Ce nom est réservé !" : "This last name is reserved !";
    case StoreErrc::NotOpen:
        return french ? "Aucun fichier de données n'est ouvert" : "No data file is open";
    case StoreErrc::LinkLoop:
        return french ? "Le nom du fichier de données mène à une boucle de liens symboliques."
                      : "The data file's name leads round a loop of symbolic links.";
    case StoreErrc::DanglingLink:
        return french ? "Le nom du fichier de données est un lien symbolique vers un fichier qui "
                        "n'existe pas."
                      : "The data file's name is a symbolic link to a file that does not exist.";
    case StoreErrc::NotRegularFile:
        return french ? "Le fichier de données n'est pas un fichier ordinaire (tube, périphérique "
                        "ou dossier) ; il n'a pas été touché."
                      : "The data file is not an ordinary file (a pipe, a device or a folder); it "
                        "has been left alone.";
    case StoreErrc::TooManyRecords:
        return french ? "Le fichier de données contient plus de fiches que ce programme ne peut en "
                        "traiter ; il n'a pas été touché."
                      : "The data file holds more records than this program can address; it has "
                        "been left alone.";
    case StoreErrc::FileShrunk:
        return french ? "Un autre programme a raccourci le fichier de données ; rien n'a été "
                        "écrit. Redémarrez le programme pour relire le fichier."
                      : "Another program has cut the data file short; nothing was written. "
                        "Restart the program to read the file again.";
    }
    return {};
}

std::string storeErrorMessage(const StoreError &error, bool french)
{
    std::string text = storeErrorText(error.kind(), french);
    return text.empty() ? std::string(error.what()) : text;
}

} // namespace vcq

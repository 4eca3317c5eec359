// SPDX-License-Identifier: GPL-3.0-or-later
#include "duplicate_texts.h"

#include <vector>

namespace vcq::duplicates
{

namespace
{

std::string joined(const std::vector<std::string> &parts, bool french)
{
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += i + 1 == parts.size() ? (french ? " et " : " and ") : ", ";
        out += parts[i];
    }
    return out;
}

} // namespace

std::string reasonText(const DuplicateGroup &g, bool french)
{
    static const struct {
        std::uint32_t bit;
        const char *english, *french;
    } kinds[] = {
        {HomePhone, "home phone", "téléphone maison"},
        {WorkPhone, "work phone", "téléphone bureau"},
        {OtherPhone, "other phone", "téléphone autre"},
        {FaxPhone, "fax/data phone", "téléphone fax/data"},
        {AnyPhone, "phone number", "numéro de téléphone"},
        {SameEmail, "e-mail", "courriel"},
    };
    std::vector<std::string> shared;
    for (const auto &k : kinds)
        if (g.reasons & k.bit)
            shared.emplace_back(french ? k.french : k.english);
    std::string name;
    if (g.reasons & SameName) {
        name = french ? "même nom" : "same name";
        if (g.reasons & SwappedName)
            name += french ? " (nom et prénom inversés)" : " (first and last name swapped)";
    }
    if (g.certainty == Certainty::Possible) {
        std::string text =
            (french ? "noms différents, même " : "different names, same ") + joined(shared, french);
        return text;
    }
    if (shared.empty())
        return name + (french ? ", rien ne les distingue" : ", nothing tells them apart");
    return name + (shared.size() == 1 ? (french ? " et " : " and ") : ", ") +
           joined(shared, french);
}

std::string certaintyText(Certainty certainty, bool french)
{
    if (certainty == Certainty::Certain)
        return french ? "certain" : "certain";
    return french ? "possible" : "possible";
}

std::string alsoLabel(bool french)
{
    return french ? "Aussi : " : "Also: ";
}

std::string fieldName(Field f, bool french)
{
    static const char *const names[kContactFieldCount][2] = {
        {"First Name", "Prénom"},
        {"Last Name", "Nom"},
        {"Organization", "Compagnie"},
        {"Address", "Adresse"},
        {"City", "Ville"},
        {"Zip/Postal", "Code Postal"},
        {"State/Province", "Province"},
        {"Country", "Pays"},
        {"Home Phone", "Tél. Maison"},
        {"Work Phone", "Tél. Bureau"},
        {"Other Phone", "Tél. Autre"},
        {"Fax/Data Phone", "Tél. Fax/Data"},
        {"E-Mail", "E-Mail"},
        {"Comments", "Remarques"},
        {"Birthdate", "Date de fête"},
        {"Status", "Statut"},
    };
    return names[int(f)][french ? 1 : 0];
}

} // namespace vcq::duplicates

#include "vcard.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace vcq::interop
{

namespace
{

bool equalsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::string_view versionText(VCardVersion v)
{
    switch (v) {
    case VCardVersion::V21:
        return "2.1";
    case VCardVersion::V30:
        return "3.0";
    case VCardVersion::V40:
        return "4.0";
    }
    return "3.0";
}

ValueKind valueKindOf(std::string_view name)
{
    if (name == "N" || name == "ADR" || name == "ORG" || name == "GENDER")
        return ValueKind::Structured;
    if (name == "CATEGORIES" || name == "NICKNAME")
        return ValueKind::List;
    static constexpr std::string_view kText[] = {
        "FN",    "NOTE", "TEL",   "EMAIL",  "BDAY",   "ANNIVERSARY", "UID",
        "TITLE", "ROLE", "LABEL", "MAILER", "PRODID", "REV",         "SORT-STRING",
        "KIND",  "LANG", "TZ",    "CLASS",  "NAME",   "SOURCE",      "SUMMARY",
    };
    for (std::string_view t : kText) {
        if (name == t)
            return ValueKind::Text;
    }
    return ValueKind::Raw;
}

const std::string &VCardProperty::value() const
{
    static const std::string empty;
    return values.empty() ? empty : values.front();
}

std::vector<std::string> VCardProperty::parameterValues(std::string_view upperName) const
{
    std::vector<std::string> out;
    for (const VCardParameter &p : parameters) {
        if (p.name == upperName)
            out.insert(out.end(), p.values.begin(), p.values.end());
    }
    return out;
}

bool VCardProperty::hasType(std::string_view type) const
{
    for (const VCardParameter &p : parameters) {
        if (p.name != "TYPE")
            continue;
        for (const std::string &v : p.values) {
            if (equalsNoCase(v, type))
                return true;
        }
    }
    return false;
}

bool VCardProperty::isPreferred() const
{
    if (hasType("pref"))
        return true;
    for (const VCardParameter &p : parameters) {
        if (p.name == "PREF")
            return true;
    }
    return false;
}

const VCardProperty *VCard::first(std::string_view upperName) const
{
    for (const VCardProperty &p : properties) {
        if (p.name == upperName)
            return &p;
    }
    return nullptr;
}

std::vector<const VCardProperty *> VCard::all(std::string_view upperName) const
{
    std::vector<const VCardProperty *> out;
    for (const VCardProperty &p : properties) {
        if (p.name == upperName)
            out.push_back(&p);
    }
    return out;
}

std::size_t VCard::removeAll(std::string_view upperName)
{
    return std::erase_if(properties, [&](const VCardProperty &p) { return p.name == upperName; });
}

VCardProperty &VCard::add(VCardProperty property)
{
    properties.push_back(std::move(property));
    return properties.back();
}

VCardProperty makeProperty(std::string name, std::vector<std::string> values,
                           std::vector<std::string> types)
{
    VCardProperty p;
    p.name = std::move(name);
    p.values = std::move(values);
    if (!types.empty())
        p.parameters.push_back({"TYPE", std::move(types)});
    return p;
}

} // namespace vcq::interop

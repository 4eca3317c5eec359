#include "vcard.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <unordered_map>

namespace vcq::interop
{

using namespace std::string_view_literals;

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
    // Asked for every property read and written: one hash look-up.
    static const std::unordered_map<std::string_view, ValueKind> kinds = [] {
        std::unordered_map<std::string_view, ValueKind> m;
        for (std::string_view n : {"N", "ADR", "ORG", "GENDER"})
            m.emplace(n, ValueKind::Structured);
        for (std::string_view n : {"CATEGORIES", "NICKNAME"})
            m.emplace(n, ValueKind::List);
        for (std::string_view n :
             {"FN",    "NOTE", "TEL",   "EMAIL",  "BDAY",   "ANNIVERSARY", "UID",
              "TITLE", "ROLE", "LABEL", "MAILER", "PRODID", "REV",         "SORT-STRING",
              "KIND",  "LANG", "TZ",    "CLASS",  "NAME",   "SOURCE",      "SUMMARY"})
            m.emplace(n, ValueKind::Text);
        return m;
    }();
    const auto it = kinds.find(name);
    return it == kinds.end() ? ValueKind::Raw : it->second;
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
        if (p.name != "TYPE"sv)
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
        if (p.name == "PREF"sv)
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

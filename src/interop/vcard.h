// SPDX-License-Identifier: GPL-3.0-or-later
// vCard value types shared by the reader, the writer and the field mapping.
// A card is a list of properties in file order; every property we do not
// map is kept exactly as read, so a card can be written back without loss.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vcq::interop
{

enum class VCardVersion { V21, V30, V40 };

// "2.1", "3.0" or "4.0".
std::string_view versionText(VCardVersion v);

struct VCardParameter {
    std::string name;                // upper case: TYPE, PREF, VALUE, ...
    std::vector<std::string> values; // TYPE=home,work and TYPE=home;TYPE=work both give two
                                     // values; a 2.1 bare "HOME" gives name TYPE, value "home"
    friend bool operator==(const VCardParameter &, const VCardParameter &) = default;
};

// How the value of a property is held in VCardProperty::values.
enum class ValueKind {
    Text,       // one value, escapes undone (FN, NOTE, TEL, EMAIL, BDAY, UID, TITLE, ...)
    Structured, // one value per ';' component, escapes undone in each (N, ADR, ORG, GENDER)
    List,       // one value per ',' item, escapes undone in each (CATEGORIES, NICKNAME)
    Raw,        // one value exactly as read (unknown and binary properties: PHOTO, X-..., ...)
};
ValueKind valueKindOf(std::string_view upperName);

struct VCardProperty {
    std::string group; // "item1" of "item1.TEL", else empty
    std::string name;  // upper case
    std::vector<VCardParameter> parameters;
    std::vector<std::string> values; // UTF-8; see ValueKind

    // The first value, or an empty string.
    const std::string &value() const;
    // The values of a parameter (upper-case name), empty when absent.
    std::vector<std::string> parameterValues(std::string_view upperName) const;
    // TYPE contains the type, compared without regard to case ("home", "cell", ...).
    bool hasType(std::string_view type) const;
    // PREF=n (4.0), TYPE=pref (3.0) or a bare PREF (2.1).
    bool isPreferred() const;

    friend bool operator==(const VCardProperty &, const VCardProperty &) = default;
};

struct VCard {
    VCardVersion version = VCardVersion::V30; // as read; the writer chooses its own
    std::vector<VCardProperty> properties;    // without BEGIN, END and VERSION

    // The first property of that (upper-case) name, or nullptr.
    const VCardProperty *first(std::string_view upperName) const;
    std::vector<const VCardProperty *> all(std::string_view upperName) const;
    // Removes every property of that name; answers how many went.
    std::size_t removeAll(std::string_view upperName);
    VCardProperty &add(VCardProperty property);

    friend bool operator==(const VCard &, const VCard &) = default;
};

// Builds a property with one value and optional TYPE values.
VCardProperty makeProperty(std::string name, std::vector<std::string> values,
                           std::vector<std::string> types = {});

} // namespace vcq::interop

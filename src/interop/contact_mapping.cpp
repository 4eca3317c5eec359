// SPDX-License-Identifier: GPL-3.0-or-later
#include "contact_mapping.h"

#include "birth_date.h"
#include "text_util.h"
#include "transliterate.h"

#include <algorithm>
#include <array>
#include <tuple>

namespace vcq::interop
{

using namespace std::string_view_literals;

using namespace detail;

std::string_view lossKindName(LossKind kind)
{
    switch (kind) {
    case LossKind::Transliterated:
        return "transliterated";
    case LossKind::Cut:
        return "cut";
    case LossKind::ExtraPhone:
        return "extra-phone";
    case LossKind::ExtraEmail:
        return "extra-email";
    case LossKind::NoField:
        return "no-field";
    case LossKind::BadBirthDate:
        return "bad-birth-date";
    case LossKind::PhoneMoved:
        return "phone-moved";
    }
    return "unknown";
}

bool isCarriedByNature(std::string_view name)
{
    return name == "VERSION"sv || name == "UID"sv || name == "REV"sv || name == "PRODID"sv;
}

namespace
{

// The phone fields in the order of the slots below: home, work, other, fax.
constexpr std::array<Field, 4> kPhoneFields = {Field::Phone1, Field::Phone2, Field::Cell,
                                               Field::Phone3};
constexpr std::array<const char *, 4> kPhoneTypes = {"home", "work", "cell", "fax"};
constexpr int kHome = 0, kWork = 1, kOther = 2, kFax = 3;
// Where a phone goes when its own field is taken.
constexpr std::array<int, 4> kFreeOrder = {kOther, kHome, kWork, kFax};

bool hasText(const VCardProperty &p)
{
    return std::any_of(p.values.begin(), p.values.end(),
                       [](const std::string &v) { return !trimBlanks(v).empty(); });
}

// The field a phone's own type names; -1 for none (no type, voice, pager,
// a type of the writer's own): those take whatever field is free.
int ownPhoneSlot(const VCardProperty &p)
{
    if (p.hasType("fax"))
        return kFax;
    if (p.hasType("cell"))
        return kOther;
    if (p.hasType("home"))
        return kHome;
    if (p.hasType("work"))
        return kWork;
    return -1;
}

// The type a phone was given, for the report when it lands in a field of
// another type; empty when it says nothing (no type, voice, pref).
std::string phoneTypeText(const VCardProperty &p)
{
    for (const std::string &t : p.parameterValues("TYPE")) {
        if (!equalsNoCase(t, "voice") && !equalsNoCase(t, "pref") && !t.empty())
            return t;
    }
    return {};
}

// Which property each field comes from; -1 for none.
struct Selection {
    int n = -1, fn = -1, org = -1, adr = -1, email = -1, note = -1, categories = -1, bday = -1;
    std::array<int, 4> tel = {-1, -1, -1, -1};
    std::vector<int> extraTels, extraEmails, extraAdrs, extraNotes;
};

Selection select(const VCard &card)
{
    Selection s;
    const auto &props = card.properties;
    int firstHomeAdr = -1, firstAdr = -1, prefAdr = -1;
    int firstEmail = -1, prefEmail = -1;
    // Scratch lists reused from card to card: an import maps many.
    thread_local std::vector<int> tels, emails, adrs, notes, waiting;
    tels.clear();
    emails.clear();
    adrs.clear();
    notes.clear();
    waiting.clear();
    for (int i = 0; i < static_cast<int>(props.size()); ++i) {
        const VCardProperty &p = props[static_cast<std::size_t>(i)];
        if (p.name == "N"sv && s.n < 0) {
            s.n = i;
        } else if (p.name == "FN"sv && s.fn < 0) {
            s.fn = i;
        } else if (p.name == "ORG"sv && s.org < 0) {
            s.org = i;
        } else if (p.name == "BDAY"sv && s.bday < 0) {
            s.bday = i;
        } else if (p.name == "CATEGORIES"sv && s.categories < 0) {
            s.categories = i;
        } else if (p.name == "NOTE"sv && hasText(p)) {
            notes.push_back(i);
        } else if (p.name == "ADR"sv && hasText(p)) {
            adrs.push_back(i);
            if (firstAdr < 0)
                firstAdr = i;
            if (firstHomeAdr < 0 && p.hasType("home"))
                firstHomeAdr = i;
            if (prefAdr < 0 && p.isPreferred())
                prefAdr = i;
        } else if (p.name == "EMAIL"sv && hasText(p)) {
            emails.push_back(i);
            if (firstEmail < 0)
                firstEmail = i;
            if (prefEmail < 0 && p.isPreferred())
                prefEmail = i;
        } else if (p.name == "TEL"sv && hasText(p)) {
            tels.push_back(i);
        }
    }
    s.adr = prefAdr >= 0 ? prefAdr : firstHomeAdr >= 0 ? firstHomeAdr : firstAdr;
    s.email = prefEmail >= 0 ? prefEmail : firstEmail;
    if (!notes.empty())
        s.note = notes.front();
    for (int i : adrs) {
        if (i != s.adr)
            s.extraAdrs.push_back(i);
    }
    for (int i : emails) {
        if (i != s.email)
            s.extraEmails.push_back(i);
    }
    for (std::size_t k = 1; k < notes.size(); ++k)
        s.extraNotes.push_back(notes[k]);

    // Each phone with a type of its own takes that field first, whatever
    // came before it (a preferred one before one that is not); the rest, in
    // file order, take any field still free.
    for (int i : tels) {
        const VCardProperty &p = props[static_cast<std::size_t>(i)];
        const int slot = ownPhoneSlot(p);
        if (slot < 0) {
            waiting.push_back(i);
            continue;
        }
        int &taken = s.tel[static_cast<std::size_t>(slot)];
        if (taken < 0) {
            taken = i;
        } else if (p.isPreferred() && !props[static_cast<std::size_t>(taken)].isPreferred()) {
            waiting.push_back(taken);
            taken = i;
        } else {
            waiting.push_back(i);
        }
    }
    std::sort(waiting.begin(), waiting.end());
    for (int i : waiting) {
        bool placed = false;
        for (int slot : kFreeOrder) {
            if (s.tel[static_cast<std::size_t>(slot)] < 0) {
                s.tel[static_cast<std::size_t>(slot)] = i;
                placed = true;
                break;
            }
        }
        if (!placed)
            s.extraTels.push_back(i);
    }
    return s;
}

bool isTextValue(const VCardProperty &p)
{
    const auto values = p.parameterValues("VALUE");
    return !values.empty() && equalsNoCase(values.front(), "text");
}

// A tel: URI gives its number; a text that only starts so (VALUE=text, as
// we write a number stored that way) is kept whole.
std::string telNumber(const VCardProperty &p)
{
    std::string v = p.value();
    if (startsWithNoCase(v, "tel:") && !isTextValue(p))
        v.erase(0, 4);
    return v;
}

// A stored number as a TEL property: VALUE=text when it could be taken for
// a tel: URI, so that it comes back as it was.
VCardProperty telProperty(const std::string &number, std::vector<std::string> types)
{
    VCardProperty p = makeProperty("TEL", {number}, std::move(types));
    if (startsWithNoCase(number, "tel:"))
        p.parameters.push_back({"VALUE", {"text"}});
    return p;
}

// Line breaks in a card's text (LF, CR or CR LF) are stored as the edit
// form writes them: CR LF.
void storeLineBreaks(std::string &text)
{
    if (text.find_first_of("\r\n") == std::string::npos)
        return;
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            out += c;
            continue;
        }
        out += "\r\n";
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    text = std::move(out);
}

std::string_view component(const VCardProperty &p, std::size_t i)
{
    return i < p.values.size() ? std::string_view(p.values[i]) : std::string_view();
}

template <typename Iterator>
std::string joinNonEmpty(Iterator begin, Iterator end, std::string_view sep)
{
    std::string out;
    for (; begin != end; ++begin) {
        const std::string_view part = *begin;
        if (trimBlanks(part).empty())
            continue;
        if (!out.empty())
            out += sep;
        out += part;
    }
    return out;
}

std::string joinNonEmpty(std::initializer_list<std::string_view> parts, std::string_view sep)
{
    return joinNonEmpty(parts.begin(), parts.end(), sep);
}

std::string shortDetail(const VCardProperty &p)
{
    if (!p.parameterValues("ENCODING").empty() || startsWithNoCase(p.value(), "data:"))
        return std::to_string(p.value().size()) + " bytes";
    std::string joined;
    for (std::size_t i = 0; i < p.values.size(); ++i) {
        if (i > 0)
            joined += valueKindOf(p.name) == ValueKind::List ? "," : ";";
        joined += p.values[i];
    }
    if (joined.size() > 80) {
        std::size_t cut = 80;
        while (cut > 0 && (static_cast<unsigned char>(joined[cut]) & 0xC0) == 0x80)
            --cut;
        joined.resize(cut);
        joined += "...";
    }
    return joined;
}

class Mapper
{
public:
    MappedContact result;

    Mapper()
    {
        // A new record's fields are already empty.
        result.record.set(Field::Birth, kBlankBirthDate);
    }

    // A card's text: its line breaks become CR LF.
    void set(Field f, std::string_view utf8, std::string_view property)
    {
        if (utf8.find_first_of("\r\n") == std::string_view::npos) {
            setExactly(f, utf8, property);
            return;
        }
        std::string text(utf8);
        storeLineBreaks(text);
        setExactly(f, text, property);
    }

    // Every byte as it is, but for what cp1252 cannot hold and what is too long.
    void setExactly(Field f, std::string_view utf8, std::string_view property)
    {
        // Most text has a cp1252 byte for every character: converted into
        // storage kept from field to field.
        thread_local std::string exact;
        Cp1252Text t;
        std::string_view bytes;
        if (!hasHighBytes(utf8)) {
            bytes = utf8; // ASCII is the same in cp1252
        } else if (utf8ToCp1252Exactly(utf8, exact)) {
            bytes = exact;
        } else {
            t = utf8ToCp1252(utf8);
            if (t.changed()) {
                result.losses.push_back(
                    {f, LossKind::Transliterated, std::string(property), std::string(utf8)});
                result.transliteratedCharacters += t.transliterated + t.unrepresentable;
            }
            bytes = t.bytes;
        }
        const std::size_t max = fieldLayout(f).maxLength;
        if (f == Field::LastName && bytes.size() > max) {
            // Blanks up to the field's length would leave a contact with no
            // name it can be found by: its name is kept, not the blanks.
            const std::size_t name = bytes.find_first_not_of(" \t");
            if (name != std::string_view::npos && name >= max) {
                result.losses.push_back(
                    {f, LossKind::Cut, std::string(property), cp1252ToUtf8(bytes.substr(0, name))});
                bytes.remove_prefix(name);
            }
        }
        if (bytes.size() > max) {
            result.losses.push_back(
                {f, LossKind::Cut, std::string(property), cp1252ToUtf8(bytes.substr(max))});
            bytes = bytes.substr(0, max);
        }
        result.record.set(f, bytes);
    }

    void loss(LossKind kind, const VCardProperty &p)
    {
        result.losses.push_back({std::nullopt, kind, p.name, shortDetail(p)});
    }
};

std::pair<std::string, std::string> splitFormattedName(std::string_view fn)
{
    fn = trimBlanks(fn);
    if (const auto comma = fn.find(','); comma != std::string_view::npos)
        return {std::string(trimBlanks(fn.substr(0, comma))),
                std::string(trimBlanks(fn.substr(comma + 1)))};
    const auto space = fn.find_last_of(" \t");
    if (space == std::string_view::npos)
        return {std::string(fn), {}};
    return {std::string(fn.substr(space + 1)), std::string(trimBlanks(fn.substr(0, space)))};
}

int resolveYear(int currentYear)
{
    return currentYear > 0 ? currentYear : interop::currentYear();
}

std::string utf8Of(const ContactRecord &c, Field f)
{
    return cp1252ToUtf8(c.view(f));
}

std::string formattedName(const std::string &last, const std::string &first)
{
    if (trimBlanks(first).empty())
        return last;
    if (trimBlanks(last).empty())
        return first;
    return first + " " + last;
}

VCardProperty addressProperty(const ContactRecord &c)
{
    return makeProperty("ADR",
                        {"", "", utf8Of(c, Field::Address1), utf8Of(c, Field::City),
                         utf8Of(c, Field::State), utf8Of(c, Field::Zip), utf8Of(c, Field::Country)},
                        {"home"});
}

bool hasAddress(const ContactRecord &c)
{
    for (Field f : {Field::Address1, Field::City, Field::Zip, Field::State, Field::Country}) {
        if (!c.view(f).empty())
            return true;
    }
    return false;
}

VCardProperty emailProperty(const ContactRecord &c, VCardVersion version)
{
    return makeProperty("EMAIL", {utf8Of(c, Field::Email)},
                        version == VCardVersion::V40 ? std::vector<std::string>{}
                                                     : std::vector<std::string>{"internet"});
}

} // namespace

MappedContact cardToContact(const VCard &card)
{
    Mapper m;
    const Selection s = select(card);
    const auto &props = card.properties;
    auto prop = [&](int i) -> const VCardProperty & { return props[static_cast<std::size_t>(i)]; };

    // Names.
    std::string last, first;
    if (s.n >= 0) {
        const VCardProperty &n = prop(s.n);
        last = component(n, 0);
        first = component(n, 1);
        const std::string rest =
            joinNonEmpty({component(n, 3), component(n, 2), component(n, 4)}, " ");
        if (!rest.empty())
            m.result.losses.push_back({std::nullopt, LossKind::NoField, "N", rest});
    }
    if (trimBlanks(last).empty() && trimBlanks(first).empty() && s.fn >= 0)
        std::tie(last, first) = splitFormattedName(prop(s.fn).value());
    if (trimBlanks(last).empty() && !trimBlanks(first).empty())
        std::swap(last, first);
    if (trimBlanks(last).empty()) {
        if (s.org >= 0 && !trimBlanks(component(prop(s.org), 0)).empty())
            last = component(prop(s.org), 0);
        else if (s.email >= 0)
            last = prop(s.email).value();
        else if (s.tel[kOther] >= 0 || s.tel[kHome] >= 0 || s.tel[kWork] >= 0 || s.tel[kFax] >= 0)
            for (int i : s.tel) {
                if (i >= 0) {
                    last = telNumber(prop(i));
                    break;
                }
            }
    }
    m.set(Field::LastName, last, "N");
    m.set(Field::FirstName, first, "N");

    if (s.org >= 0) {
        const VCardProperty &org = prop(s.org);
        m.set(Field::Organisation, component(org, 0), "ORG");
        const std::string rest =
            joinNonEmpty(org.values.size() > 1 ? org.values.begin() + 1 : org.values.end(),
                         org.values.end(), ";");
        if (!rest.empty())
            m.result.losses.push_back({Field::Organisation, LossKind::NoField, "ORG", rest});
    }
    if (s.adr >= 0) {
        const VCardProperty &adr = prop(s.adr);
        m.set(Field::Address1,
              joinNonEmpty({component(adr, 2), component(adr, 1), component(adr, 0)}, ", "), "ADR");
        m.set(Field::City, component(adr, 3), "ADR");
        m.set(Field::State, component(adr, 4), "ADR");
        m.set(Field::Zip, component(adr, 5), "ADR");
        m.set(Field::Country, component(adr, 6), "ADR");
    }
    for (std::size_t k = 0; k < kPhoneFields.size(); ++k) {
        if (s.tel[k] >= 0)
            m.set(kPhoneFields[k], telNumber(prop(s.tel[k])), "TEL");
    }
    if (s.email >= 0)
        m.set(Field::Email, prop(s.email).value(), "EMAIL");
    if (s.bday >= 0) {
        const VCardProperty &bday = prop(s.bday);
        const bool textValue = equalsNoCase(
            bday.parameterValues("VALUE").empty() ? "" : bday.parameterValues("VALUE")[0], "text");
        const auto stored = textValue ? std::nullopt : birthDateFromVCard(bday.value());
        if (stored)
            m.result.record.set(Field::Birth, *stored);
        else if (!trimBlanks(bday.value()).empty())
            m.result.losses.push_back({Field::Birth, LossKind::BadBirthDate, "BDAY", bday.value()});
    }
    if (s.categories >= 0) {
        const VCardProperty &cat = prop(s.categories);
        m.set(Field::Status, cat.value(), "CATEGORIES");
        const std::string dropped =
            joinNonEmpty(cat.values.size() > 1 ? cat.values.begin() + 1 : cat.values.end(),
                         cat.values.end(), ",");
        if (!dropped.empty())
            m.result.losses.push_back({Field::Status, LossKind::NoField, "CATEGORIES", dropped});
    }
    if (s.note >= 0)
        m.set(Field::Comment, prop(s.note).value(), "NOTE");

    for (std::size_t k = 0; k < kPhoneFields.size(); ++k) {
        const int i = s.tel[k];
        if (i < 0 || ownPhoneSlot(prop(i)) == static_cast<int>(k))
            continue;
        if (const std::string type = phoneTypeText(prop(i)); !type.empty())
            m.result.losses.push_back({kPhoneFields[k], LossKind::PhoneMoved, "TEL",
                                       telNumber(prop(i)) + " (" + type + ")"});
    }
    for (int i : s.extraTels)
        m.loss(LossKind::ExtraPhone, prop(i));
    for (int i : s.extraEmails)
        m.loss(LossKind::ExtraEmail, prop(i));
    for (int i : s.extraAdrs)
        m.loss(LossKind::NoField, prop(i));
    for (int i : s.extraNotes)
        m.loss(LossKind::NoField, prop(i));
    for (int i = 0; i < static_cast<int>(props.size()); ++i) {
        const VCardProperty &p = prop(i);
        static constexpr std::string_view kMapped[] = {"N",     "FN",   "ORG",  "ADR",       "TEL",
                                                       "EMAIL", "BDAY", "NOTE", "CATEGORIES"};
        const bool mapped =
            std::find(std::begin(kMapped), std::end(kMapped), p.name) != std::end(kMapped);
        if (mapped || isCarriedByNature(p.name) || !hasText(p))
            continue;
        m.loss(LossKind::NoField, p);
    }
    // A second N, ORG, BDAY or CATEGORIES is rare enough to report without detail.
    for (int i = 0; i < static_cast<int>(props.size()); ++i) {
        const VCardProperty &p = prop(i);
        if (!hasText(p))
            continue;
        if ((p.name == "N"sv && i != s.n) || (p.name == "ORG"sv && i != s.org) ||
            (p.name == "BDAY"sv && i != s.bday) || (p.name == "CATEGORIES"sv && i != s.categories))
            m.loss(LossKind::NoField, p);
    }
    return std::move(m.result);
}

VCard contactToCard(const ContactRecord &c, const std::string &uid, VCardVersion version,
                    std::vector<Loss> *losses, int currentYear)
{
    VCard card;
    card.version = version;
    const std::string last = utf8Of(c, Field::LastName);
    const std::string first = utf8Of(c, Field::FirstName);
    card.add(makeProperty("N", {last, first, "", "", ""}));
    card.add(makeProperty("FN", {formattedName(last, first)}));
    if (!c.view(Field::Organisation).empty())
        card.add(makeProperty("ORG", {utf8Of(c, Field::Organisation)}));
    if (hasAddress(c))
        card.add(addressProperty(c));
    for (std::size_t k = 0; k < kPhoneFields.size(); ++k) {
        if (!c.view(kPhoneFields[k]).empty())
            card.add(telProperty(utf8Of(c, kPhoneFields[k]), {kPhoneTypes[k]}));
    }
    if (!c.view(Field::Email).empty())
        card.add(emailProperty(c, version));
    const ExportedBirthDate birth =
        birthDateToVCard(c.view(Field::Birth), version, resolveYear(currentYear));
    if (birth.status == BirthDateExport::Full || birth.status == BirthDateExport::NoYear)
        card.add(makeProperty("BDAY", {birth.value}));
    else if (birth.status == BirthDateExport::Invalid && losses)
        losses->push_back({Field::Birth, LossKind::BadBirthDate, "BDAY", utf8Of(c, Field::Birth)});
    if (!c.view(Field::Status).empty())
        card.add(makeProperty("CATEGORIES", {utf8Of(c, Field::Status)}));
    if (!c.view(Field::Comment).empty())
        card.add(makeProperty("NOTE", {utf8Of(c, Field::Comment)}));
    card.add(makeProperty("UID", {uid}));
    return card;
}

VCard mergeContactIntoCard(const ContactRecord &c, const VCard &base, VCardVersion version,
                           std::vector<Loss> *losses, int currentYear)
{
    VCard out = base;
    out.version = version;
    const MappedContact old = cardToContact(base);
    const Selection s = select(base);
    auto changed = [&](Field f) { return c.view(f) != old.record.view(f); };
    auto at = [&](int i) -> VCardProperty & { return out.properties[static_cast<std::size_t>(i)]; };
    std::vector<int> removed;
    auto setValue = [&](int index, std::string value) {
        VCardProperty &p = at(index);
        std::erase_if(p.parameters, [](const VCardParameter &q) { return q.name == "VALUE"sv; });
        p.values = {std::move(value)};
    };

    const std::string last = utf8Of(c, Field::LastName);
    const std::string first = utf8Of(c, Field::FirstName);
    const bool namesChanged = changed(Field::LastName) || changed(Field::FirstName);
    if (s.n >= 0 && namesChanged) {
        VCardProperty &n = at(s.n);
        n.values.resize(std::max<std::size_t>(n.values.size(), 5));
        n.values[0] = last;
        n.values[1] = first;
    } else if (s.n < 0) {
        out.add(makeProperty("N", {last, first, "", "", ""}));
    }
    if (s.fn >= 0 && namesChanged)
        setValue(s.fn, formattedName(last, first));
    else if (s.fn < 0)
        out.add(makeProperty("FN", {formattedName(last, first)}));

    if (changed(Field::Organisation)) {
        const std::string org = utf8Of(c, Field::Organisation);
        if (s.org >= 0) {
            VCardProperty &p = at(s.org);
            if (p.values.empty())
                p.values.resize(1);
            p.values[0] = org;
            if (!hasText(p))
                removed.push_back(s.org);
        } else if (!org.empty()) {
            out.add(makeProperty("ORG", {org}));
        }
    }

    const bool addressChanged = changed(Field::Address1) || changed(Field::City) ||
                                changed(Field::Zip) || changed(Field::State) ||
                                changed(Field::Country);
    if (addressChanged) {
        if (s.adr >= 0) {
            VCardProperty &p = at(s.adr);
            p.values.resize(std::max<std::size_t>(p.values.size(), 7));
            if (changed(Field::Address1)) {
                p.values[0].clear();
                p.values[1].clear();
                p.values[2] = utf8Of(c, Field::Address1);
            }
            p.values[3] = utf8Of(c, Field::City);
            p.values[4] = utf8Of(c, Field::State);
            p.values[5] = utf8Of(c, Field::Zip);
            p.values[6] = utf8Of(c, Field::Country);
            if (!hasText(p))
                removed.push_back(s.adr);
        } else if (hasAddress(c)) {
            out.add(addressProperty(c));
        }
    }

    for (std::size_t k = 0; k < kPhoneFields.size(); ++k) {
        if (!changed(kPhoneFields[k]))
            continue;
        const std::string number = utf8Of(c, kPhoneFields[k]);
        if (s.tel[k] >= 0) {
            if (number.empty()) {
                removed.push_back(s.tel[k]);
            } else {
                setValue(s.tel[k], number);
                if (startsWithNoCase(number, "tel:"))
                    at(s.tel[k]).parameters.push_back({"VALUE", {"text"}});
            }
        } else if (!number.empty()) {
            out.add(telProperty(number, {kPhoneTypes[k]}));
        }
    }

    if (changed(Field::Email)) {
        if (s.email >= 0) {
            if (c.view(Field::Email).empty())
                removed.push_back(s.email);
            else
                setValue(s.email, utf8Of(c, Field::Email));
        } else if (!c.view(Field::Email).empty()) {
            out.add(emailProperty(c, version));
        }
    }

    if (changed(Field::Birth)) {
        const ExportedBirthDate birth =
            birthDateToVCard(c.view(Field::Birth), version, resolveYear(currentYear));
        const bool carried =
            birth.status == BirthDateExport::Full || birth.status == BirthDateExport::NoYear;
        if (s.bday >= 0 && carried)
            setValue(s.bday, birth.value);
        else if (s.bday >= 0)
            removed.push_back(s.bday);
        else if (carried)
            out.add(makeProperty("BDAY", {birth.value}));
        if (birth.status == BirthDateExport::Invalid && losses)
            losses->push_back(
                {Field::Birth, LossKind::BadBirthDate, "BDAY", utf8Of(c, Field::Birth)});
    }

    if (changed(Field::Status)) {
        const std::string status = utf8Of(c, Field::Status);
        if (s.categories >= 0) {
            VCardProperty &p = at(s.categories);
            if (p.values.empty())
                p.values.resize(1);
            if (status.empty())
                p.values.erase(p.values.begin());
            else
                p.values[0] = status;
            if (!hasText(p))
                removed.push_back(s.categories);
        } else if (!status.empty()) {
            out.add(makeProperty("CATEGORIES", {status}));
        }
    }

    if (changed(Field::Comment)) {
        if (s.note >= 0) {
            if (c.view(Field::Comment).empty())
                removed.push_back(s.note);
            else
                setValue(s.note, utf8Of(c, Field::Comment));
        } else if (!c.view(Field::Comment).empty()) {
            out.add(makeProperty("NOTE", {utf8Of(c, Field::Comment)}));
        }
    }

    std::sort(removed.begin(), removed.end(), std::greater<>());
    removed.erase(std::unique(removed.begin(), removed.end()), removed.end());
    for (int i : removed)
        out.properties.erase(out.properties.begin() + i);
    return out;
}

MappedContact textsToContact(const std::array<std::string, kContactFieldCount> &utf8,
                             const std::array<std::string_view, kContactFieldCount> &sources)
{
    Mapper m;
    for (Field f : kContactFields) {
        const auto i = static_cast<std::size_t>(f);
        if (f == Field::Birth && utf8[i].empty())
            continue; // stays blank
        m.setExactly(f, utf8[i], sources[i]);
    }
    return std::move(m.result);
}

std::string contactName(const ContactRecord &c)
{
    const std::string last = cp1252ToUtf8(c.view(Field::LastName));
    const std::string first = cp1252ToUtf8(c.view(Field::FirstName));
    if (first.empty())
        return last;
    return last + " " + first;
}

} // namespace vcq::interop

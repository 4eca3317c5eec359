// SPDX-License-Identifier: GPL-3.0-or-later
#include "vcard_writer.h"

#include "text_util.h"
#include "transliterate.h"

namespace vcq::interop
{

using namespace std::string_view_literals;

using namespace detail;

namespace
{

std::string escapeRaw(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\r') {
            out += "\\n";
            if (i + 1 < value.size() && value[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

void appendEscaped(std::string &out, std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case ',':
            out += "\\,";
            break;
        case ';':
            out += "\\;";
            break;
        case '\r':
            out += "\\n";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
}

// A parameter value: quoted when it holds a separator; DQUOTE and line
// breaks cannot be written at all.
void appendParameterValue(std::string &out, std::string_view v)
{
    std::string clean;
    for (char c : v) {
        if (c != '"' && c != '\r' && c != '\n')
            clean += c;
    }
    if (clean.find_first_of(":;,") != std::string::npos) {
        out += '"';
        out += clean;
        out += '"';
    } else {
        out += clean;
    }
}

std::string mediaTypeOf(const VCardProperty &p)
{
    for (const std::string &t : p.parameterValues("TYPE")) {
        if (t.find('/') != std::string::npos)
            return toLowerAscii(t);
        if (!t.empty() && t != "pref")
            return "image/" + toLowerAscii(t);
    }
    return "application/octet-stream";
}

struct Prepared {
    std::vector<VCardParameter> parameters;
    std::string value; // already escaped
};

Prepared prepare(const VCardProperty &p, VCardVersion version)
{
    Prepared out;
    bool base64 = false;
    bool preferred = false;
    bool hasPrefParameter = false;
    std::vector<std::string> types;
    for (const VCardParameter &param : p.parameters) {
        if (param.name == "ENCODING"sv) {
            const std::string enc = param.values.empty() ? "" : toUpperAscii(param.values[0]);
            base64 = base64 || enc == "B"sv || enc == "BASE64"sv;
        } else if (param.name == "TYPE"sv) {
            for (const std::string &t : param.values) {
                if (equalsNoCase(t, "pref"))
                    preferred = true;
                else if (!t.empty())
                    types.push_back(toLowerAscii(t));
            }
        } else if (param.name == "PREF"sv) {
            preferred = true;
            hasPrefParameter = true;
        }
    }

    std::string value;
    const ValueKind kind = base64 ? ValueKind::Raw : valueKindOf(p.name);
    switch (kind) {
    case ValueKind::Raw:
        value = escapeRaw(p.value());
        break;
    case ValueKind::Text:
        appendEscaped(value, p.value());
        break;
    case ValueKind::Structured:
    case ValueKind::List:
        for (std::size_t i = 0; i < p.values.size(); ++i) {
            if (i > 0)
                value += kind == ValueKind::List ? ',' : ';';
            appendEscaped(value, p.values[i]);
        }
        break;
    }

    // A tel: URI is only a URI in 4.0; other versions take the number. A
    // text that only starts like one (VALUE=text) stays as it is, and so
    // does a URI with no number, which would leave nothing. A number that
    // itself starts with "tel:" (a link pasted as a number) is marked as
    // text, or it would be taken for a URI again and lose that too.
    bool dropValueParameter = false;
    bool markText = false;
    bool textValue = false;
    for (const std::string &v : p.parameterValues("VALUE"))
        textValue = textValue || equalsNoCase(v, "text");
    if (p.name == "TEL"sv && version != VCardVersion::V40 && !textValue &&
        startsWithNoCase(value, "tel:") && value.size() > 4) {
        value.erase(0, 4);
        dropValueParameter = true;
        markText = startsWithNoCase(value, "tel:");
    }
    const bool dataUri = base64 && version == VCardVersion::V40;
    if (dataUri) {
        value = "data:" + mediaTypeOf(p) + ";base64," + value;
        // Read back, a property of text (a TEL a broken file gave base64)
        // takes the URI as text: escaped as text, it is written the same again.
        if (valueKindOf(p.name) != ValueKind::Raw)
            value = escapeText(value);
        types.clear();
        dropValueParameter = true;
    }
    if (preferred && version != VCardVersion::V40)
        types.push_back("pref");

    // The parameters in the order read, each in the target version's form.
    bool typeWritten = false;
    for (const VCardParameter &param : p.parameters) {
        if (param.name == "CHARSET"sv)
            continue;
        if (param.name == "ENCODING"sv) {
            if (base64 && !dataUri)
                out.parameters.push_back({"ENCODING", {"b"}});
            continue;
        }
        if (param.name == "TYPE"sv) {
            if (!typeWritten && !types.empty())
                out.parameters.push_back({"TYPE", types});
            typeWritten = true;
            continue;
        }
        if (param.name == "PREF"sv) {
            if (version == VCardVersion::V40)
                out.parameters.push_back(param);
            continue;
        }
        if (param.name == "VALUE"sv) {
            if (!dropValueParameter)
                out.parameters.push_back(param);
            continue;
        }
        out.parameters.push_back(param);
    }
    if (!typeWritten && !types.empty())
        out.parameters.push_back({"TYPE", types});
    if (preferred && version == VCardVersion::V40 && !hasPrefParameter)
        out.parameters.push_back({"PREF", {"1"}});
    if (markText)
        out.parameters.push_back({"VALUE", {"text"}});
    out.value = std::move(value);
    return out;
}

} // namespace

std::string escapeText(std::string_view text)
{
    std::string out;
    appendEscaped(out, text);
    return out;
}

void appendVCard(std::string &out, const VCard &card, VCardVersion version)
{
    out += "BEGIN:VCARD\r\nVERSION:";
    out += versionText(version);
    out += "\r\n";
    std::string line;
    for (const VCardProperty &p : card.properties) {
        if (p.name.empty() || p.name == "VERSION"sv || p.name == "BEGIN"sv || p.name == "END"sv)
            continue;
        const Prepared prepared = prepare(p, version);
        line.clear();
        if (!p.group.empty()) {
            line += p.group;
            line += '.';
        }
        line += p.name;
        for (const VCardParameter &param : prepared.parameters) {
            line += ';';
            line += param.name;
            line += '=';
            for (std::size_t i = 0; i < param.values.size(); ++i) {
                if (i > 0)
                    line += ',';
                appendParameterValue(line, param.values[i]);
            }
        }
        line += ':';
        line += prepared.value;
        // A card built by hand may hold bytes that are no UTF-8: a file we
        // write never does.
        if (hasHighBytes(line) && !isValidUtf8(line))
            line = repairUtf8(line);
        appendFoldedLine(out, line);
    }
    out += "END:VCARD\r\n";
}

std::string writeVCard(const VCard &card, VCardVersion version)
{
    std::string out;
    appendVCard(out, card, version);
    return out;
}

} // namespace vcq::interop

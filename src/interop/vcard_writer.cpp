#include "vcard_writer.h"

#include "text_util.h"

namespace vcq::interop
{

using namespace detail;

namespace
{

constexpr std::size_t kFoldOctets = 75;

// Appends one content line, folded so that no line passes 75 octets and no
// UTF-8 sequence is split, then CRLF.
void appendFolded(std::string &out, std::string_view line)
{
    std::size_t limit = kFoldOctets;
    while (line.size() > limit) {
        std::size_t cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        limit = kFoldOctets - 1; // the leading blank counts
    }
    out.append(line);
    out += "\r\n";
}

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
    std::vector<std::string> types;
    std::string valueParam;
    for (const VCardParameter &param : p.parameters) {
        if (param.name == "CHARSET")
            continue;
        if (param.name == "ENCODING") {
            const std::string enc = param.values.empty() ? "" : toUpperAscii(param.values[0]);
            base64 = base64 || enc == "B" || enc == "BASE64";
            continue;
        }
        if (param.name == "TYPE") {
            for (const std::string &t : param.values) {
                if (equalsNoCase(t, "pref"))
                    preferred = true;
                else if (!t.empty())
                    types.push_back(toLowerAscii(t));
            }
            continue;
        }
        if (param.name == "PREF") {
            preferred = true;
            if (version == VCardVersion::V40)
                out.parameters.push_back(param);
            continue;
        }
        if (param.name == "VALUE") {
            valueParam = param.values.empty() ? "" : toLowerAscii(param.values[0]);
            continue;
        }
        out.parameters.push_back(param);
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

    // A tel: URI is only a URI in 4.0; other versions take the number.
    if (p.name == "TEL" && version != VCardVersion::V40 && startsWithNoCase(value, "tel:")) {
        value.erase(0, 4);
        if (valueParam == "uri")
            valueParam.clear();
    }
    if (base64 && version == VCardVersion::V40) {
        value = "data:" + mediaTypeOf(p) + ";base64," + value;
        types.clear();
        valueParam.clear();
    } else if (base64) {
        out.parameters.push_back({"ENCODING", {"b"}});
    }
    if (!valueParam.empty() &&
        !(valueParam == "uri" && version != VCardVersion::V40 && p.name == "TEL"))
        out.parameters.push_back({"VALUE", {valueParam}});
    if (preferred && version != VCardVersion::V40)
        types.push_back("pref");
    if (preferred && version == VCardVersion::V40 && p.parameterValues("PREF").empty())
        out.parameters.push_back({"PREF", {"1"}});
    if (!types.empty())
        out.parameters.insert(out.parameters.begin(), {"TYPE", types});
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
        if (p.name.empty() || p.name == "VERSION" || p.name == "BEGIN" || p.name == "END")
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
        appendFolded(out, line);
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

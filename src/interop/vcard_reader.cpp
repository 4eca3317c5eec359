// SPDX-License-Identifier: GPL-3.0-or-later
#include "vcard_reader.h"

#include "card_lines.h"
#include "text_util.h"
#include "transliterate.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <memory>

namespace vcq::interop
{

using namespace std::string_view_literals;

using namespace detail;

bool problemSkipsCard(ReadProblemCode code)
{
    return code == ReadProblemCode::NoEnd || code == ReadProblemCode::NoName ||
           code == ReadProblemCode::UnknownCsvHeader;
}

std::string_view problemCodeName(ReadProblemCode code)
{
    switch (code) {
    case ReadProblemCode::NoEnd:
        return "no-end";
    case ReadProblemCode::TextOutsideCard:
        return "text-outside-card";
    case ReadProblemCode::MalformedLine:
        return "malformed-line";
    case ReadProblemCode::BadQuotedPrintable:
        return "bad-quoted-printable";
    case ReadProblemCode::BadCharset:
        return "bad-charset";
    case ReadProblemCode::InvalidUtf8:
        return "invalid-utf8";
    case ReadProblemCode::PropertyTooLarge:
        return "property-too-large";
    case ReadProblemCode::UnknownVersion:
        return "unknown-version";
    case ReadProblemCode::NoName:
        return "no-name";
    case ReadProblemCode::UnknownCsvHeader:
        return "unknown-csv-header";
    case ReadProblemCode::UnclosedQuote:
        return "unclosed-quote";
    case ReadProblemCode::WrongColumnCount:
        return "wrong-column-count";
    case ReadProblemCode::BadDate:
        return "bad-date";
    case ReadProblemCode::JoinedLines:
        return "joined-lines";
    }
    return "unknown";
}

namespace
{

bool isNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Quoted-printable bytes; false when some '=' was not followed by two hex
// digits (those are kept as written).
bool decodeQuotedPrintable(std::string_view in, std::string &out)
{
    bool ok = true;
    out.clear();
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '=') {
            out += in[i];
            continue;
        }
        if (i + 1 == in.size())
            break; // a soft line break left at the very end
        const bool room = i + 2 < in.size();
        const int hi = room ? hexValue(in[i + 1]) : -1;
        const int lo = room ? hexValue(in[i + 2]) : -1;
        if (hi < 0 || lo < 0) {
            ok = false;
            out += '=';
            continue;
        }
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return ok;
}

bool isWesternSingleByte(std::string_view charset)
{
    for (std::string_view name : {"ISO-8859-1", "ISO8859-1", "LATIN1", "WINDOWS-1252", "CP1252",
                                  "ISO-8859-15", "US-ASCII", "ASCII"}) {
        if (equalsNoCase(charset, name))
            return true;
    }
    return false;
}

// Bytes in charset to UTF-8 through ICU; false when ICU does not know it.
bool convertWithIcu(std::string_view charset, std::string_view in, std::string &out)
{
    UErrorCode status = U_ZERO_ERROR;
    const std::string name(charset);
    std::unique_ptr<UConverter, void (*)(UConverter *)> from(ucnv_open(name.c_str(), &status),
                                                             ucnv_close);
    if (U_FAILURE(status) || !from)
        return false;
    std::unique_ptr<UConverter, void (*)(UConverter *)> to(ucnv_open("UTF-8", &status), ucnv_close);
    if (U_FAILURE(status) || !to)
        return false;
    out.assign(in.size() * 4 + 16, '\0');
    char *target = out.data();
    const char *source = in.data();
    ucnv_convertEx(to.get(), from.get(), &target, out.data() + out.size(), &source,
                   in.data() + in.size(), nullptr, nullptr, nullptr, nullptr, true, true, &status);
    if (U_FAILURE(status))
        return false;
    out.resize(static_cast<std::size_t>(target - out.data()));
    return true;
}

class Reader
{
public:
    Reader(std::string_view bytes, const std::function<void(ReadCard &&)> &onCard,
           const std::function<void(ReadProblem &&)> &onProblem)
        : m_in(bytes), m_onCard(onCard), m_onProblem(onProblem)
    {
    }

    void run()
    {
        CardLines lines(m_in);
        LogicalLine line;
        while (lines.next(line))
            processLine(line);
        if (m_inCard)
            problem(m_cardNumber, m_cardLine, ReadProblemCode::NoEnd, "");
    }

private:
    void problem(int card, int line, ReadProblemCode code, std::string detail)
    {
        m_onProblem(ReadProblem{card, line, code, std::move(detail)});
    }

    // Where cards begin and end is CardLines' decision; this reads what
    // lies between.
    void processLine(const LogicalLine &l)
    {
        switch (l.kind) {
        case LineKind::Blank:
            return;
        case LineKind::Outside:
            if (!m_outsideReported) {
                m_outsideReported = true;
                problem(0, l.number, ReadProblemCode::TextOutsideCard, "");
            }
            return;
        case LineKind::Begin:
            if (m_inCard)
                problem(m_cardNumber, m_cardLine, ReadProblemCode::NoEnd, "");
            startCard(l.number);
            return;
        case LineKind::End:
            finishCard();
            return;
        case LineKind::AgentBegin:
            // 2.1 embeds a card in an empty AGENT property: it belongs to the
            // outer card, whole, as the AGENT's value.
            if (m_agent)
                m_agent->values.front().assign(trimBlanks(l.text));
            return;
        case LineKind::Embedded:
            if (m_agent)
                appendToAgent(l.text, l.number);
            return;
        case LineKind::Property:
            break;
        }
        m_agent = nullptr;
        if (l.unindented && !m_joinedReported) {
            m_joinedReported = true;
            problem(m_cardNumber, l.number, ReadProblemCode::JoinedLines, propertyNameOf(l.text));
        }
        if (l.tooLarge) {
            problem(m_cardNumber, l.number, ReadProblemCode::PropertyTooLarge,
                    propertyNameOf(l.text));
            return;
        }
        parseProperty(l.text, l.number);
    }

    void appendToAgent(std::string_view line, int lineNo)
    {
        std::string &agent = m_agent->values.front();
        agent += '\n';
        if (!hasHighBytes(line) || isValidUtf8(line)) {
            agent.append(line);
            return;
        }
        std::string converted(line);
        keepUtf8(converted, "AGENT", lineNo);
        agent += converted;
    }

    static std::string propertyNameOf(std::string_view line)
    {
        std::size_t end = 0;
        while (end < line.size() && end < 64 && (isNameChar(line[end]) || line[end] == '.'))
            ++end;
        return toUpperAscii(line.substr(0, end));
    }

    void startCard(int lineNo)
    {
        m_inCard = true;
        m_outsideReported = false;
        ++m_cardNumber;
        m_cardLine = lineNo;
        m_card.version = VCardVersion::V30;
        // The properties left from the card before are overwritten in place.
        m_used = 0;
        m_agent = nullptr;
        m_versionText.clear();
        m_malformedCount = 0;
        m_malformedLine = 0;
        m_invalidUtf8Reported = false;
        m_joinedReported = false;
    }

    void finishCard()
    {
        m_inCard = false;
        if (m_malformedCount > 0)
            problem(m_cardNumber, m_malformedLine, ReadProblemCode::MalformedLine,
                    std::to_string(m_malformedCount));
        if (m_versionText == "2.1") {
            m_card.version = VCardVersion::V21;
        } else if (m_versionText == "3.0") {
            m_card.version = VCardVersion::V30;
        } else if (m_versionText == "4.0") {
            m_card.version = VCardVersion::V40;
        } else {
            // Some writers leave VERSION out altogether; that alone loses nothing.
            m_card.version = VCardVersion::V30;
            if (!m_versionText.empty())
                problem(m_cardNumber, m_cardLine, ReadProblemCode::UnknownVersion, m_versionText);
        }
        std::vector<VCardProperty> &props = m_card.properties;
        for (std::size_t i = m_used; i < props.size(); ++i)
            m_pool.push_back(std::move(props[i]));
        props.resize(m_used);
        if (!hasName()) {
            problem(m_cardNumber, m_cardLine, ReadProblemCode::NoName, "");
            return;
        }
        ReadCard done{std::move(m_card), m_cardNumber, m_cardLine};
        m_onCard(std::move(done));
        // What the receiver left behind is the next card's storage: the
        // properties' strings and lists keep their capacity.
        m_card = std::move(done.card);
    }

    bool hasName() const
    {
        for (const VCardProperty &p : m_card.properties) {
            if (p.name != "N"sv && p.name != "FN"sv && p.name != "ORG"sv && p.name != "EMAIL"sv &&
                p.name != "TEL"sv)
                continue;
            for (const std::string &v : p.values) {
                if (!trimBlanks(v).empty())
                    return true;
            }
        }
        return false;
    }

    void malformed(int lineNo)
    {
        if (m_malformedCount++ == 0)
            m_malformedLine = lineNo;
    }

    // [group.]NAME(;param)*:value
    void parseProperty(std::string_view line, int lineNo)
    {
        // The same decision CardLines makes about the line.
        std::size_t i = 0;
        if (propertyValueColon(line, &i) == std::string_view::npos) {
            malformed(lineNo);
            return;
        }
        VCardProperty &p = nextProperty();
        std::string_view fullName = line.substr(0, i);
        if (const auto dot = fullName.rfind('.'); dot != std::string_view::npos) {
            p.group.assign(fullName.substr(0, dot));
            fullName.remove_prefix(dot + 1);
        }
        if (fullName.empty()) {
            malformed(lineNo);
            return;
        }
        p.name.assign(fullName);
        upperInPlace(p.name);

        while (i < line.size() && line[i] == ';') {
            ++i;
            std::size_t nameEnd = i;
            while (nameEnd < line.size() && line[nameEnd] != '=' && line[nameEnd] != ';' &&
                   line[nameEnd] != ':')
                ++nameEnd;
            VCardParameter param = pooledParameter();
            param.name.assign(line.substr(i, nameEnd - i));
            // 2.1's bare values come as names: the same rule as for values.
            std::erase_if(param.name, [](char c) { return c == '"' || c == '\r' || c == '\n'; });
            param.name = std::string(trimBlanks(param.name));
            keepUtf8(param.name, p.name, lineNo);
            upperInPlace(param.name);
            i = nameEnd;
            if (i < line.size() && line[i] == '=') {
                ++i;
                std::size_t count = 0;
                for (;;) {
                    std::string_view v;
                    if (i < line.size() && line[i] == '"') {
                        const std::size_t close = line.find('"', i + 1);
                        if (close == std::string_view::npos) {
                            malformed(lineNo);
                            m_parameterPool.push_back(std::move(param));
                            return;
                        }
                        v = line.substr(i + 1, close - i - 1);
                        i = close + 1;
                    } else {
                        const std::size_t start = i;
                        while (i < line.size() && line[i] != ',' && line[i] != ';' &&
                               line[i] != ':')
                            ++i;
                        v = line.substr(start, i - start);
                    }
                    // The pooled strings keep their storage.
                    if (count == param.values.size())
                        param.values.emplace_back();
                    param.values[count].assign(v.data(), v.size());
                    // What no writer can put in a parameter value (a quote, a
                    // CR within the line) is not kept either.
                    if (v.find_first_of("\"\r\n") != std::string_view::npos)
                        std::erase_if(param.values[count],
                                      [](char c) { return c == '"' || c == '\r' || c == '\n'; });
                    keepUtf8(param.values[count++], p.name, lineNo);
                    if (i < line.size() && line[i] == ',') {
                        ++i;
                        continue;
                    }
                    break;
                }
                param.values.resize(count);
                addParameter(p, std::move(param));
            } else if (!param.name.empty()) {
                addBareParameter(p, std::move(param));
            } else {
                m_parameterPool.push_back(std::move(param));
            }
        }
        if (i >= line.size() || line[i] != ':') {
            malformed(lineNo);
            return;
        }
        std::string_view value = line.substr(i + 1);

        if (p.name == "VERSION"sv) {
            m_versionText = std::string(trimBlanks(value));
            return;
        }
        decodeValue(p, value, lineNo);
        ++m_used; // the property counts from here
        if (p.name == "AGENT"sv && !p.values.empty())
            m_agent = &p;
    }

    // The storage of the card's next property, emptied but for its values,
    // which decodeValue overwrites; it counts once m_used passes it.
    VCardProperty &nextProperty()
    {
        std::vector<VCardProperty> &props = m_card.properties;
        if (m_used == props.size()) {
            if (m_pool.empty()) {
                props.emplace_back();
            } else {
                props.push_back(std::move(m_pool.back()));
                m_pool.pop_back();
            }
        }
        VCardProperty &p = props[m_used];
        p.group.clear();
        p.name.clear();
        for (VCardParameter &param : p.parameters)
            m_parameterPool.push_back(std::move(param));
        p.parameters.clear();
        return p;
    }

    VCardParameter pooledParameter()
    {
        if (m_parameterPool.empty())
            return VCardParameter{};
        VCardParameter param = std::move(m_parameterPool.back());
        m_parameterPool.pop_back();
        return param; // name and values are overwritten in place
    }

    static void upperInPlace(std::string &s)
    {
        for (char &c : s) {
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        }
    }

    void addParameter(VCardProperty &p, VCardParameter param)
    {
        std::vector<std::string> &values = param.values;
        if (param.name == "TYPE"sv) {
            // A quoted list, TYPE="voice,home", is the same as the bare list.
            const bool lists = std::any_of(values.begin(), values.end(), [](const std::string &v) {
                return v.find(',') != std::string::npos;
            });
            if (lists) {
                std::vector<std::string> split;
                for (std::string &v : values) {
                    for (std::string &part : splitEscaped(v, ','))
                        split.push_back(std::move(part));
                }
                values = std::move(split);
            }
            for (std::string &v : values) {
                const std::string_view t = trimBlanks(v);
                if (t.size() != v.size())
                    v = std::string(t);
                for (char &c : v) {
                    if (c >= 'A' && c <= 'Z')
                        c = static_cast<char>(c - 'A' + 'a');
                }
            }
            for (VCardParameter &existing : p.parameters) {
                if (existing.name == "TYPE"sv) {
                    existing.values.insert(existing.values.end(), values.begin(), values.end());
                    m_parameterPool.push_back(std::move(param));
                    return;
                }
            }
        }
        p.parameters.push_back(std::move(param));
    }

    // 2.1 allows a parameter's value alone: HOME, CELL, QUOTED-PRINTABLE, ...
    // param holds the word as its name.
    void addBareParameter(VCardProperty &p, VCardParameter param)
    {
        param.values.resize(1);
        param.values[0] = param.name;
        bool encoding = false;
        for (std::string_view enc : {"QUOTED-PRINTABLE", "BASE64", "8BIT", "7BIT", "B"})
            encoding = encoding || param.name == enc;
        param.name = encoding ? "ENCODING" : "TYPE";
        if (encoding)
            p.parameters.push_back(std::move(param));
        else
            addParameter(p, std::move(param));
    }

    static std::string takeParameter(VCardProperty &p, std::string_view name)
    {
        std::string value;
        std::erase_if(p.parameters, [&](const VCardParameter &param) {
            if (param.name != name)
                return false;
            if (!param.values.empty())
                value = param.values.front();
            return true;
        });
        return value;
    }

    void decodeValue(VCardProperty &p, std::string_view raw, int lineNo)
    {
        // Most values are plain text: copied in place, with no decoding.
        if (p.parameters.empty() ||
            std::none_of(p.parameters.begin(), p.parameters.end(), [](const VCardParameter &q) {
                return q.name == "ENCODING"sv || q.name == "CHARSET"sv;
            })) {
            const ValueKind kind = valueKindOf(p.name);
            const bool plain = kind == ValueKind::Raw || (kind == ValueKind::Text &&
                                                          raw.find('\\') == std::string_view::npos);
            const bool utf8 = !hasHighBytes(raw) || isValidUtf8(raw);
            if (plain && utf8) {
                p.values.resize(1);
                p.values[0].assign(raw.data(), raw.size());
                return;
            }
            if (utf8 && (kind == ValueKind::Structured || kind == ValueKind::List)) {
                splitUnescaped(raw, kind == ValueKind::List ? ',' : ';', p.values);
                return;
            }
        }
        p.values.clear();
        std::string value;
        std::string encoding;
        for (const VCardParameter &param : p.parameters) {
            if (param.name == "ENCODING"sv && !param.values.empty())
                encoding = toUpperAscii(param.values.front());
        }
        // Binary data stays encoded and says so; decoded text no longer is.
        if (encoding == "BASE64"sv || encoding == "B"sv) {
            for (VCardParameter &param : p.parameters) {
                if (param.name == "ENCODING"sv)
                    param.values = {"b"};
            }
        } else {
            takeParameter(p, "ENCODING");
        }
        bool binary = false;
        if (encoding == "QUOTED-PRINTABLE"sv) {
            if (!decodeQuotedPrintable(raw, value))
                problem(m_cardNumber, lineNo, ReadProblemCode::BadQuotedPrintable, p.name);
        } else if (encoding == "BASE64"sv || encoding == "B"sv) {
            binary = true;
            value.reserve(raw.size());
            for (char c : raw) {
                if (c != ' ' && c != '\t')
                    value += c;
            }
        } else {
            value.assign(raw.data(), raw.size());
        }

        const std::string charset = takeParameter(p, "CHARSET");
        if (!binary)
            value = toUtf8(std::move(value), charset, p.name, lineNo);
        else
            keepUtf8(value, p.name, lineNo); // base64 has no such bytes: kept readable

        const ValueKind kind = binary ? ValueKind::Raw : valueKindOf(p.name);
        switch (kind) {
        case ValueKind::Raw:
            p.values.push_back(std::move(value));
            break;
        case ValueKind::Text:
            if (value.find('\\') == std::string::npos)
                p.values.push_back(std::move(value));
            else
                p.values.push_back(unescapeText(value));
            break;
        case ValueKind::Structured:
        case ValueKind::List:
            splitUnescaped(value, kind == ValueKind::List ? ',' : ';', p.values);
            break;
        }
    }

    // Every byte the reader keeps is UTF-8, so every writer can write it
    // as it is: bytes that are not are read as cp1252, and reported.
    void keepUtf8(std::string &text, const std::string &property, int lineNo)
    {
        if (!hasHighBytes(text) || isValidUtf8(text))
            return;
        text = cp1252ToUtf8(text);
        if (!m_invalidUtf8Reported) {
            m_invalidUtf8Reported = true;
            problem(m_cardNumber, lineNo, ReadProblemCode::InvalidUtf8, property);
        }
    }

    std::string toUtf8(std::string value, const std::string &charset, const std::string &property,
                       int lineNo)
    {
        if (!hasHighBytes(value))
            return value;
        const bool valid = isValidUtf8(value);
        if (charset.empty() || equalsNoCase(charset, "UTF-8") || equalsNoCase(charset, "UTF8")) {
            if (valid)
                return value;
            if (charset.empty()) {
                if (!m_invalidUtf8Reported) {
                    m_invalidUtf8Reported = true;
                    problem(m_cardNumber, lineNo, ReadProblemCode::InvalidUtf8, property);
                }
            } else {
                problem(m_cardNumber, lineNo, ReadProblemCode::BadCharset,
                        property + " " + charset);
            }
            return cp1252ToUtf8(value);
        }
        // Phones often declare a Western charset and write UTF-8: multi-byte
        // sequences that happen to be valid UTF-8 are almost never Latin text.
        if (valid) {
            problem(m_cardNumber, lineNo, ReadProblemCode::BadCharset, property + " " + charset);
            return value;
        }
        if (isWesternSingleByte(charset))
            return cp1252ToUtf8(value);
        std::string converted;
        if (convertWithIcu(charset, value, converted) && isValidUtf8(converted))
            return converted;
        problem(m_cardNumber, lineNo, ReadProblemCode::BadCharset, property + " " + charset);
        return cp1252ToUtf8(value);
    }

    std::string_view m_in;
    const std::function<void(ReadCard &&)> &m_onCard;
    const std::function<void(ReadProblem &&)> &m_onProblem;
    bool m_inCard = false;
    bool m_outsideReported = false;
    int m_cardNumber = 0;
    int m_cardLine = 0;
    VCard m_card;
    std::string m_versionText;
    // Storage of the properties and parameters of cards already handed on.
    std::vector<VCardProperty> m_pool;
    std::vector<VCardParameter> m_parameterPool;
    std::size_t m_used = 0;           // properties of m_card read so far; those after are storage
    VCardProperty *m_agent = nullptr; // the property just read, when it is an AGENT
    int m_malformedCount = 0;
    int m_malformedLine = 0;
    bool m_invalidUtf8Reported = false;
    bool m_joinedReported = false;
};

} // namespace

void readVCards(std::string_view bytes, const std::function<void(ReadCard &&)> &onCard,
                const std::function<void(ReadProblem &&)> &onProblem)
{
    std::string converted;
    if (utf16ToUtf8(bytes, converted))
        bytes = converted;
    Reader(bytes, onCard, onProblem).run();
}

void readVCardPart(std::string_view bytes, int lineOffset, int cardOffset,
                   const std::function<void(ReadCard &&)> &onCard,
                   const std::function<void(ReadProblem &&)> &onProblem)
{
    readVCards(
        bytes,
        [&](ReadCard &&card) {
            card.number += cardOffset;
            card.line += lineOffset;
            onCard(std::move(card));
        },
        [&](ReadProblem &&p) {
            p.line += lineOffset;
            if (p.card > 0)
                p.card += cardOffset;
            onProblem(std::move(p));
        });
}

VCardReadResult readVCards(std::string_view bytes)
{
    VCardReadResult result;
    readVCards(
        bytes, [&](ReadCard &&card) { result.cards.push_back(std::move(card)); },
        [&](ReadProblem &&problem) { result.problems.push_back(std::move(problem)); });
    return result;
}

} // namespace vcq::interop

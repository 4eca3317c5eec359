// SPDX-License-Identifier: GPL-3.0-or-later
#include "regedit_format.h"

#include "core/cp1252.h"
#include "registry_api.h"

#include <QStringList>

namespace vcq
{

namespace
{

constexpr QByteArrayView kSignature = "REGEDIT4";
constexpr int kHexLineWidth = 76; // regedit's wrapping, before the trailing "\"

const RootKey kRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                          HKEY_CURRENT_CONFIG};

QString quoted(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        out += c;
    }
    out += u'"';
    return out;
}

bool quotable(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0))
            return false;
    }
    return true;
}

QString hexDigits(unsigned value, int width)
{
    return QStringLiteral("%1").arg(value, width, 16, QLatin1Char('0'));
}

void appendHex(QString &line, QString &out, const std::string &data)
{
    for (std::size_t i = 0; i < data.size(); ++i) {
        QString token = hexDigits(static_cast<unsigned char>(data[i]), 2);
        if (i + 1 < data.size())
            token += u',';
        if (line.size() + token.size() > kHexLineWidth) {
            out += line + QStringLiteral("\\\n");
            line = QStringLiteral("  ");
        }
        line += token;
    }
}

QString formatValue(const RegValue &v)
{
    QString line = v.name.isEmpty() ? QStringLiteral("@") : quoted(v.name);
    line += u'=';
    if (v.type == REG_SZ) {
        const QString text = fromCp1252(v.data);
        if (quotable(text))
            return line + quoted(text) + u'\n';
    }
    if (v.type == REG_DWORD && v.data.size() == 4) {
        std::uint32_t n = 0;
        for (int i = 3; i >= 0; --i)
            n = (n << 8) | static_cast<unsigned char>(v.data[static_cast<std::size_t>(i)]);
        return line + QStringLiteral("dword:") + hexDigits(n, 8) + u'\n';
    }
    line += v.type == REG_BINARY ? QStringLiteral("hex:")
                                 : QStringLiteral("hex(%1):").arg(v.type, 0, 16);
    QString out;
    appendHex(line, out, v.data);
    return out + line + u'\n';
}

// Reads one quoted text at text[pos] (the opening quote); pos ends after it.
std::optional<QString> readQuoted(const QString &text, qsizetype &pos)
{
    if (pos >= text.size() || text[pos] != u'"')
        return std::nullopt;
    QString out;
    for (++pos; pos < text.size(); ++pos) {
        const QChar c = text[pos];
        if (c == u'"') {
            ++pos;
            return out;
        }
        if (c == u'\\') {
            if (++pos >= text.size() || (text[pos] != u'\\' && text[pos] != u'"'))
                return std::nullopt;
        }
        out += text[pos];
    }
    return std::nullopt;
}

std::optional<std::string> parseHexBytes(QStringView list)
{
    std::string data;
    const QString compact = list.toString().remove(u' ').remove(u'\t');
    if (compact.isEmpty())
        return data;
    for (const QString &token : compact.split(u',')) {
        bool ok = false;
        const unsigned byte = token.toUInt(&ok, 16);
        if (!ok || token.size() > 2 || byte > 0xFF)
            return std::nullopt;
        data.push_back(static_cast<char>(byte));
    }
    return data;
}

// The data part of a value line, after "=".
bool parseData(QStringView data, RegValue &v, QString &reason)
{
    if (data.startsWith(u'"')) {
        const QString s = data.toString();
        qsizetype pos = 0;
        const auto text = readQuoted(s, pos);
        if (!text || pos != s.size()) {
            reason = QStringLiteral("unterminated or badly escaped text");
            return false;
        }
        v.type = REG_SZ;
        v.data = toCp1252(*text);
        if (fromCp1252(v.data) != *text) {
            reason = QStringLiteral("a character outside the Western European code page");
            return false;
        }
        return true;
    }
    if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
        const QStringView digits = data.mid(6);
        bool ok = false;
        const unsigned long n = digits.toULong(&ok, 16);
        if (!ok || digits.size() != 8) {
            reason = QStringLiteral("a dword needs exactly 8 hexadecimal digits");
            return false;
        }
        v.type = REG_DWORD;
        v.data.clear();
        for (int i = 0; i < 4; ++i)
            v.data.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
        return true;
    }
    if (data.startsWith(u"hex", Qt::CaseInsensitive)) {
        QStringView rest = data.mid(3);
        v.type = REG_BINARY;
        if (rest.startsWith(u'(')) {
            const qsizetype close = rest.indexOf(u')');
            bool ok = false;
            const unsigned long type = close > 1 ? rest.mid(1, close - 1).toULong(&ok, 16) : 0;
            if (!ok || type > 0xFFFFFFFFul) {
                reason = QStringLiteral("a bad value type in hex(...)");
                return false;
            }
            v.type = static_cast<std::uint32_t>(type);
            rest = rest.mid(close + 1);
        }
        if (!rest.startsWith(u':')) {
            reason = QStringLiteral("\":\" missing after hex");
            return false;
        }
        auto data = parseHexBytes(rest.mid(1));
        if (!data) {
            reason = QStringLiteral("a byte that is not two hexadecimal digits");
            return false;
        }
        v.data = std::move(*data);
        return true;
    }
    reason = QStringLiteral("unknown kind of value");
    return false;
}

std::optional<QStringList> parseKeyPath(QStringView inner)
{
    QStringList parts = inner.toString().split(u'\\');
    for (const QString &p : parts) {
        if (p.isEmpty())
            return std::nullopt;
    }
    for (RootKey root : kRoots) {
        const QString name = QString::fromLatin1(rootKeyName(root));
        if (sameName(parts.first(), name)) {
            parts.first() = name;
            return parts;
        }
    }
    return std::nullopt;
}

} // namespace

std::string_view rootKeyName(RootKey root)
{
    switch (root) {
    case HKEY_CLASSES_ROOT:
        return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER:
        return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE:
        return "HKEY_LOCAL_MACHINE";
    case HKEY_USERS:
        return "HKEY_USERS";
    case HKEY_CURRENT_CONFIG:
        return "HKEY_CURRENT_CONFIG";
    }
    return {};
}

QByteArray formatRegedit(const RegistryImage &image)
{
    QString out = QString::fromLatin1(kSignature) + u'\n';
    for (const RegKey &key : image.keys()) {
        out += QStringLiteral("\n[") + key.path.join(u'\\') + QStringLiteral("]\n");
        for (const RegValue &v : key.values)
            out += formatValue(v);
    }
    out += u'\n';
    return out.toUtf8();
}

std::optional<RegistryImage> parseRegedit(QByteArrayView text, RegeditParseError *error)
{
    auto fail = [error](int line, QString reason) -> std::optional<RegistryImage> {
        if (error)
            *error = {line, std::move(reason)};
        return std::nullopt;
    };
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    if (!QUtf8StringView(text).isValidUtf8())
        return fail(0, QStringLiteral("the file is not UTF-8 text"));
    const QStringList lines = QString::fromUtf8(text).split(u'\n');

    RegistryImage image;
    RegKey *current = nullptr;
    bool signed_ = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i + 1);
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        // Hex lists go on over lines ending in "\".
        while (line.trimmed().endsWith(u'\\') && i + 1 < lines.size()) {
            line = line.trimmed();
            line.chop(1);
            QString next = lines[++i];
            if (next.endsWith(u'\r'))
                next.chop(1);
            line += next.trimmed();
        }
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u';'))
            continue;
        if (!signed_) {
            if (trimmed != QLatin1StringView(kSignature))
                return fail(lineNo, QStringLiteral("the file does not start with REGEDIT4"));
            signed_ = true;
            continue;
        }
        if (trimmed.startsWith(u'[')) {
            if (!trimmed.endsWith(u']'))
                return fail(lineNo, QStringLiteral("a key line without its closing \"]\""));
            const auto path = parseKeyPath(QStringView(trimmed).mid(1, trimmed.size() - 2));
            if (!path)
                return fail(lineNo,
                            QStringLiteral("a key path that is empty or has no known root"));
            current = &image.createKey(*path);
            continue;
        }
        if (!current)
            return fail(lineNo, QStringLiteral("a value before the first key"));
        RegValue v;
        qsizetype pos = 0;
        if (trimmed.startsWith(u'@')) {
            pos = 1;
        } else {
            const auto name = readQuoted(trimmed, pos);
            if (!name)
                return fail(lineNo, QStringLiteral("a line that is neither a key nor a value"));
            v.name = *name;
        }
        QStringView rest = QStringView(trimmed).mid(pos).trimmed();
        if (!rest.startsWith(u'='))
            return fail(lineNo, QStringLiteral("\"=\" missing after the value name"));
        QString reason;
        if (!parseData(rest.mid(1).trimmed(), v, reason))
            return fail(lineNo, reason);
        current->setValue(std::move(v));
    }
    if (!signed_)
        return fail(1, QStringLiteral("the file does not start with REGEDIT4"));
    return image;
}

} // namespace vcq

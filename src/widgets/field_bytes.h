// SPDX-License-Identifier: GPL-3.0-or-later
// The bytes a text field was filled from, kept so that Save writes back
// exactly what the user did not edit. A control may show stored bytes
// otherwise than they are (a memo turns every line end into one break, the
// postal code shows upper case, a masked edit shows only what fits its mask);
// reading its text back must not change them.
#pragma once

#include <QString>
#include <QStringView>

#include <cstddef>
#include <string>
#include <vector>

namespace vcq
{

// How a control shows the bytes it is filled with.
enum class FieldShown {
    ByteForByte, // one character for each byte
    LineBreaks,  // the same, except that each line end (CR LF, CR or LF) is one '\n'
    Whole,       // no character stands for a byte: once edited, the text is taken whole
};

class FieldBytes
{
public:
    FieldBytes() = default;
    // `bytes` as stored; `shown` the control's text right after it was filled with them.
    FieldBytes(std::string bytes, QString shown, FieldShown how = FieldShown::ByteForByte);

    // The bytes for the control's text now: the kept bytes wherever the text
    // is still as shown, the text's own bytes (cp1252, each '\n' of a memo as
    // CR LF) where the user changed it.
    std::string bytesFor(QStringView current) const;

    // The same after an edit: the bytes for `current`, and `current` as the
    // text now shown. Following each edit this way keeps every change to the
    // place the user made it.
    FieldBytes edited(const QString &current) const;

    const std::string &bytes() const { return m_bytes; }
    bool operator==(const FieldBytes &) const = default;

private:
    std::string encode(QStringView text) const;

    std::string m_bytes;
    QString m_shown;
    FieldShown m_how = FieldShown::ByteForByte;
    // Where the bytes of each shown character begin, then the end; empty when
    // the shown text does not line up with the bytes.
    std::vector<std::size_t> m_starts;
};

} // namespace vcq

// SPDX-License-Identifier: GPL-3.0-or-later
// vCard reading: a file read in parts gives the cards and problems of the
// whole file; every card read is written as 3.0 and 4.0 in lines of at most
// 75 octets of UTF-8, and what is read back is written the same way again.
#include "fuzz_check.h"
#include "interop/card_lines.h"
#include "interop/vcard_reader.h"
#include "interop/vcard_writer.h"

#include <QString>

using namespace vcq::interop;

namespace
{

void checkWritten(const std::string &out)
{
    std::size_t pos = 0;
    while (pos < out.size()) {
        const std::size_t crlf = out.find("\r\n", pos);
        FUZZ_CHECK(crlf != std::string::npos && crlf - pos <= 75);
        pos = crlf + 2;
    }
    const QByteArray bytes(out.data(), qsizetype(out.size()));
    FUZZ_CHECK(QString::fromUtf8(bytes).toUtf8() == bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > 1 << 16)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const VCardReadResult whole = readVCards(bytes);

    // The same file cut into parts of one to four cards.
    const int cards = size > 0 ? 1 + data[0] % 4 : 1;
    VCardReadResult parts;
    std::string_view rest = bytes;
    int lineOffset = 0, cardOffset = 0;
    do {
        const CardPart part = nextCardPart(rest, cards);
        readVCardPart(
            part.bytes, lineOffset, cardOffset, [&](ReadCard &&c) { parts.cards.push_back(c); },
            [&](ReadProblem &&p) { parts.problems.push_back(p); });
        rest.remove_prefix(part.bytes.size());
        lineOffset += part.lines;
        cardOffset += part.begins;
        FUZZ_CHECK(!part.bytes.empty() || rest.empty());
    } while (!rest.empty());
    FUZZ_CHECK(parts.problems == whole.problems);
    FUZZ_CHECK(parts.cards.size() == whole.cards.size());
    for (std::size_t i = 0; i < whole.cards.size(); ++i) {
        FUZZ_CHECK(parts.cards[i].number == whole.cards[i].number);
        FUZZ_CHECK(parts.cards[i].card == whole.cards[i].card);
    }

    for (const ReadCard &c : whole.cards) {
        for (VCardVersion v : {VCardVersion::V30, VCardVersion::V40}) {
            const std::string out = writeVCard(c.card, v);
            checkWritten(out);
            const VCardReadResult back = readVCards(out);
            FUZZ_CHECK(back.cards.size() == 1);
            FUZZ_CHECK(writeVCard(back.cards[0].card, v) == out);
        }
    }
    return 0;
}

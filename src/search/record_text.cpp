// SPDX-License-Identifier: GPL-3.0-or-later
#include "record_text.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vcq::search
{

namespace
{

constexpr Field kPhones[] = {Field::Phone1, Field::Phone2, Field::Cell, Field::Phone3};

// A field is folded 16 bytes at a time from any of its bytes, so up to 15
// bytes past its longest text are read and written: the record holds them
// (the header's fields come after the contact's), and the room below counts them.
constexpr std::size_t kBlock = 16;

constexpr bool blocksStayInRecord()
{
    for (const Field f : kContactFields)
        if (fieldLayout(f).offset + fieldLayout(f).maxLength + kBlock > kRecordSize)
            return false;
    return true;
}
static_assert(blocksStayInRecord());

constexpr std::size_t roomNeeded()
{
    std::size_t room = 1 + kBlock; // the digits' start, one block written past the end
    for (const Field f : kContactFields)
        room += 2 * fieldLayout(f).maxLength + 1;
    for (const Field f : kPhones)
        room += fieldLayout(f).maxLength + 1;
    return room;
}

// One field's text; the bytes of a block past the text are the record's.
char *foldField(char *out, const unsigned char *text, std::size_t length)
{
#if defined(__SSE2__)
    const __m128i beforeA = _mm_set1_epi8('A' - 1);
    const __m128i afterZ = _mm_set1_epi8('Z' + 1);
    const __m128i caseBit = _mm_set1_epi8(0x20);
    const __m128i blank = _mm_set1_epi8(' ');
    for (std::size_t at = 0; at < length;) {
        const std::size_t n = std::min(kBlock, length - at);
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + at));
        // ASCII as the table folds it: capitals lowered, control bytes as blanks.
        const __m128i capital =
            _mm_and_si128(_mm_cmpgt_epi8(v, beforeA), _mm_cmplt_epi8(v, afterZ));
        const __m128i lowered = _mm_add_epi8(v, _mm_and_si128(capital, caseBit));
        const __m128i control = _mm_cmplt_epi8(v, blank);
        _mm_storeu_si128(
            reinterpret_cast<__m128i *>(out),
            _mm_or_si128(_mm_andnot_si128(control, lowered), _mm_and_si128(control, blank)));
        // A byte above 127 may fold to two letters or none: the ASCII before
        // it is kept, it goes through the table, and the next block starts after it.
        const unsigned high = unsigned(_mm_movemask_epi8(v)) & ((1u << n) - 1);
        if (high == 0) {
            out += n;
            at += n;
            continue;
        }
        const auto ascii = std::size_t(std::countr_zero(high));
        out = foldInto(out + ascii, {reinterpret_cast<const char *>(text + at + ascii), 1});
        at += ascii + 1;
    }
    return out;
#else
    return foldInto(out, {reinterpret_cast<const char *>(text), length});
#endif
}

// One field's text as written, a block at a time.
char *copyField(char *out, const unsigned char *text, std::size_t length)
{
#if defined(__SSE2__)
    for (std::size_t at = 0; at < length; at += kBlock)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + at),
                         _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + at)));
#else
    std::memcpy(out, text, length);
#endif
    return out + length;
}

} // namespace

const std::size_t kRecordTextRoom = roomNeeded();

char *recordTextInto(char *out, const ContactRecord &record, TextForm form)
{
    const unsigned char *bytes = record.data();
    for (const Field f : kContactFields) {
        const FieldLayout l = fieldLayout(f);
        const std::size_t length = std::min<std::size_t>(bytes[l.offset], l.maxLength);
        out = form.folded ? foldField(out, bytes + l.offset + 1, length)
                          : copyField(out, bytes + l.offset + 1, length);
        *out++ = kFieldEnd;
    }
    *out++ = kDigitsStart;
    if (!form.phoneDigits)
        return out;
    for (const Field f : kPhones) {
        const FieldLayout l = fieldLayout(f);
        out = digitsInto(out, {reinterpret_cast<const char *>(bytes + l.offset + 1),
                               std::min<std::size_t>(bytes[l.offset], l.maxLength)});
        *out++ = kFieldEnd;
    }
    return out;
}

void appendRecordText(std::string &out, const ContactRecord &record)
{
    const std::size_t at = out.size();
    out.resize(at + kRecordTextRoom);
    out.resize(std::size_t(recordTextInto(out.data() + at, record) - out.data()));
}

} // namespace vcq::search

// SPDX-License-Identifier: GPL-3.0-or-later
// The 764-byte record of the data file: 19 length-prefixed single-byte
// strings at fixed offsets. Record 0 of the file is the header; the others
// are contacts or tombstones left by deletions.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vcq
{

// The fields in file order. The first 16 are a contact's data; the last
// three are used by the header record only.
enum class Field : int {
    FirstName,
    LastName,
    Organisation,
    Address1,
    City,
    Zip,
    State,
    Country,
    Phone1,
    Phone2,
    Cell,
    Phone3,
    Email,
    Comment,
    Birth,
    Status,
    Password,
    Protection,
    Reserved,
};

inline constexpr int kFieldCount = 19;
inline constexpr int kContactFieldCount = 16;
inline constexpr std::size_t kRecordSize = 764;

struct FieldLayout {
    std::size_t offset; // of the length byte
    std::size_t maxLength;
};

inline constexpr FieldLayout kFieldLayouts[kFieldCount] = {
    {0, 30},   {31, 30},  {62, 50},  {113, 60}, {174, 30}, {205, 12}, {218, 30},
    {249, 30}, {280, 30}, {311, 30}, {342, 30}, {373, 30}, {404, 40}, {445, 200},
    {646, 8},  {655, 15}, {671, 30}, {702, 30}, {733, 30},
};

// Offset and maximum length of each field; a field occupies maxLength + 1 bytes.
constexpr FieldLayout fieldLayout(Field f)
{
    return kFieldLayouts[static_cast<int>(f)];
}

// The contact fields in the order an edit form fills a record.
inline constexpr std::array<Field, kContactFieldCount> kContactFields = {
    Field::LastName, Field::FirstName, Field::Organisation, Field::Address1,
    Field::City,     Field::Zip,       Field::State,        Field::Country,
    Field::Phone1,   Field::Phone2,    Field::Cell,         Field::Phone3,
    Field::Email,    Field::Comment,   Field::Birth,        Field::Status,
};

// The text the last name of a deleted record carries.
inline constexpr std::string_view kTombstoneMark = "@~";

// Removes leading and trailing characters with codes up to 32.
std::string_view trimBlanksAndControls(std::string_view text);

class ContactRecord
{
public:
    using Bytes = std::array<unsigned char, kRecordSize>;

    ContactRecord() { m_bytes.fill(0); }
    static ContactRecord fromBytes(const unsigned char *data); // kRecordSize bytes

    // The header of a new file: version tag and company signature, all else empty.
    static ContactRecord newHeader();
    // What a deletion writes: last name "@~", everything else zero.
    static ContactRecord tombstone();

    // The field's text; a damaged length byte above the maximum reads as the maximum.
    std::string get(Field f) const { return std::string(view(f)); }
    std::string_view view(Field f) const;
    // Stores the text cut to the field's maximum; the bytes after it become zero.
    void set(Field f, std::string_view text);

    // The last name, trimmed of blanks and control characters, is "@~".
    bool isTombstone() const;

    const Bytes &bytes() const { return m_bytes; }
    const unsigned char *data() const { return m_bytes.data(); }

    friend bool operator==(const ContactRecord &, const ContactRecord &) = default;

private:
    Bytes m_bytes;
};

static_assert(sizeof(ContactRecord) == kRecordSize, "records are read and written whole");

// True when a last name would be read back as a deletion mark.
bool isReservedLastName(std::string_view lastName);

// The list key of a contact: last name and one blank cut to 31 characters,
// then the first name, the whole cut to 61.
std::string displayKey(std::string_view lastName, std::string_view firstName);
std::string displayKey(const ContactRecord &record);

inline constexpr std::size_t kDisplayKeyMax = 61;

// The same key formed into `out` (room for kDisplayKeyMax bytes); answers its length.
std::size_t formDisplayKey(char *out, std::string_view lastName, std::string_view firstName);

} // namespace vcq

// SPDX-License-Identifier: GPL-3.0-or-later
#include "exporter.h"

#include "birth_date.h"
#include "contact_mapping.h"
#include "csv.h"
#include "second_thread.h"

#include <algorithm>
#include <array>

namespace vcq::interop
{

std::optional<ExportFormat> exportFormatFromName(std::string_view name)
{
    if (name == "vcard3")
        return ExportFormat::VCard3;
    if (name == "vcard4")
        return ExportFormat::VCard4;
    if (name == "csv")
        return ExportFormat::Csv;
    return std::nullopt;
}

std::string_view exportExtension(ExportFormat format)
{
    return format == ExportFormat::Csv ? "csv" : "vcf";
}

namespace
{

// Contacts one thread turns into text at a time: about 700 KB of vCard.
constexpr std::size_t kBlockContacts = 2048;
// How many contacts ahead a record is fetched into the cache: records taken
// in name order lie all over the data file.
constexpr std::size_t kPrefetchAhead = 4;

// What every contact of one export is written with.
struct CardWriter {
    const ContactUids &uids;
    ExportFormat format;
    VCardVersion version;
    int year;
    const std::string &target;

    // number: the contact's place in the export, for the report.
    void append(std::string &out, ImportReport &report, const ContactRecord &record,
                std::int32_t recordNumber, int number) const
    {
        if (format == ExportFormat::Csv) {
            appendCsvContact(out, record);
            return;
        }
        std::vector<Loss> losses;
        appendContactVCard(out, record, uids.uidFor(recordNumber), version, &losses, year);
        if (!losses.empty())
            report.addLosses(target, number, contactName(record), losses);
    }
};

CardWriter cardWriter(const ContactUids &uids, ExportFormat format, const std::string &target,
                      int currentYear)
{
    // Asked once: the clock is no faster than the rest of a card.
    return {uids, format, format == ExportFormat::VCard4 ? VCardVersion::V40 : VCardVersion::V30,
            currentYear > 0 ? currentYear : interop::currentYear(), target};
}

struct Item {
    const ContactRecord *record;
    std::int32_t recordNumber;
};

// The text and the report of a run of contacts.
struct Block {
    std::string text;
    ImportReport report;
};

void makeBlock(const CardWriter &writer, const std::vector<Item> &items, std::size_t first,
               Block &block)
{
    block.text.clear();
    block.report = {};
    const std::size_t last = std::min(items.size(), first + kBlockContacts);
    for (std::size_t i = first; i < last; ++i) {
        if (i + kPrefetchAhead < items.size()) {
            const auto *bytes = reinterpret_cast<const char *>(items[i + kPrefetchAhead].record);
            for (std::size_t line = 0; line < kRecordSize; line += 64)
                __builtin_prefetch(bytes + line);
        }
        writer.append(block.text, block.report, *items[i].record, items[i].recordNumber,
                      static_cast<int>(i + 1));
    }
}

} // namespace

ExportResult exportContacts(const std::vector<const ContactNode *> &contacts,
                            const ContactUids &uids, ExportFormat format, const std::string &target,
                            int currentYear)
{
    const CardWriter writer = cardWriter(uids, format, target, currentYear);
    ExportResult result;
    // About what a card of most fields takes, so the text seldom moves.
    result.bytes.reserve(contacts.size() * 384);
    if (format == ExportFormat::Csv)
        result.bytes += csvHeaderLine();
    for (const ContactNode *node : contacts)
        writer.append(result.bytes, result.report, node->record(), node->RecordNumber,
                      static_cast<int>(++result.contacts));
    return result;
}

bool exportSnapshot(const ContactSnapshot &snapshot, const ContactUids &uids, ExportFormat format,
                    const std::string &target, const ExportSink &write, ExportResult &result,
                    int currentYear)
{
    const CardWriter writer = cardWriter(uids, format, target, currentYear);
    // The records as read, without a copy each, in the list's order.
    std::vector<Item> items;
    items.reserve(snapshot.list.size());
    for (const ContactNode &node : snapshot.list)
        items.push_back(
            {&snapshot.record(node.RecordNumber), static_cast<std::int32_t>(node.RecordNumber)});
    if (format == ExportFormat::Csv && !write(csvHeaderLine()))
        return false;

    // Blocks in turn: the even ones made here, each odd one on a second
    // thread meanwhile, into one of two buffers; handed on in order.
    const std::size_t blocks = (items.size() + kBlockContacts - 1) / kBlockContacts;
    Block own;
    std::array<Block, 2> other;
    SecondThread second; // after the blocks: done with them before they go
    const auto startOdd = [&](std::size_t block) {
        if (block < blocks)
            second.start([&, block] {
                makeBlock(writer, items, block * kBlockContacts, other[(block / 2) % 2]);
            });
    };
    const auto hand = [&](Block &block) {
        result.report.append(block.report);
        if (!block.text.empty() && !write(block.text))
            return false;
        result.contacts += std::min(kBlockContacts, items.size() - result.contacts);
        return true;
    };
    startOdd(1);
    for (std::size_t block = 0; block < blocks; block += 2) {
        makeBlock(writer, items, block * kBlockContacts, own);
        if (!hand(own))
            return false; // the second thread finishes its block as it goes
        if (block + 1 < blocks) {
            second.wait();
            Block &made = other[((block + 1) / 2) % 2];
            startOdd(block + 3);
            if (!hand(made))
                return false;
        }
    }
    return true;
}

} // namespace vcq::interop

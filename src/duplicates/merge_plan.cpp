// SPDX-License-Identifier: GPL-3.0-or-later
#include "merge_plan.h"

#include "duplicate_finder.h"
#include "phone_key.h"
#include "search/text_fold.h"

#include <algorithm>

namespace vcq::duplicates
{

namespace
{

bool isPhone(Field f)
{
    return std::find(std::begin(kPhoneFields), std::end(kPhoneFields), f) != std::end(kPhoneFields);
}

std::string compared(std::string_view text)
{
    std::string folded = search::folded(trimBlanksAndControls(text));
    std::erase_if(folded, [](char c) { return c == ' '; });
    return folded;
}

} // namespace

bool emptyValue(Field f, std::string_view value)
{
    value = trimBlanksAndControls(value);
    if (f == Field::Birth)
        return value.find_first_not_of(" -") == std::string_view::npos;
    return value.empty();
}

bool sameValue(Field f, std::string_view a, std::string_view b)
{
    if (isPhone(f)) {
        const PhoneKey ka = phoneKey(a), kb = phoneKey(b);
        if (!ka.national.empty() || !kb.national.empty())
            return samePhone(ka, kb);
    }
    if (f == Field::LastName || f == Field::FirstName)
        return foldedName(a, {}) == foldedName(b, {});
    return compared(a) == compared(b);
}

MergePlan preselect(const std::vector<std::int32_t> &records,
                    std::span<const ContactRecord> contacts,
                    std::span<const std::optional<std::int64_t>> changedAt)
{
    MergePlan plan;
    plan.records = records;
    for (std::size_t i = 0; i < changedAt.size() && i < contacts.size(); ++i)
        if (changedAt[i] && (!changedAt[plan.keep] || *changedAt[i] > *changedAt[plan.keep]))
            plan.keep = i;
    for (const Field f : kContactFields) {
        std::size_t &choice = plan.choice[std::size_t(f)];
        choice = plan.keep;
        if (!emptyValue(f, contacts[plan.keep].view(f)))
            continue;
        for (std::size_t i = 0; i < contacts.size(); ++i)
            if (!emptyValue(f, contacts[i].view(f))) {
                choice = i;
                break;
            }
    }
    // The name is one value: both parts from the same contact, so that a
    // swapped first and last name never gives the same part twice.
    plan.choice[std::size_t(Field::FirstName)] = plan.choice[std::size_t(Field::LastName)];
    return plan;
}

MergeResult mergeContacts(const MergePlan &plan, std::span<const ContactRecord> contacts,
                          std::string_view alsoLabel)
{
    MergeResult result;
    ContactRecord &out = result.contact;
    for (const Field f : kContactFields)
        out.set(f, contacts[plan.choice[std::size_t(f)]].view(f));

    const auto nameOf = [&](std::size_t i) {
        return foldedName(contacts[i].view(Field::LastName), contacts[i].view(Field::FirstName));
    };
    const std::size_t nameChoice = plan.choice[std::size_t(Field::LastName)];
    const auto swappedName = [&](std::size_t i) {
        return foldedName(contacts[i].view(Field::FirstName), contacts[i].view(Field::LastName)) ==
               nameOf(nameChoice);
    };
    std::vector<LostValue> lost;
    for (const Field f : kContactFields) {
        const std::size_t chosen = plan.choice[std::size_t(f)];
        for (std::size_t i = 0; i < contacts.size(); ++i) {
            const std::string_view value = contacts[i].view(f);
            if (i == chosen || emptyValue(f, value) || sameValue(f, value, out.view(f)))
                continue;
            if ((f == Field::LastName || f == Field::FirstName) && swappedName(i))
                continue;
            const bool known = std::any_of(lost.begin(), lost.end(), [&](const LostValue &l) {
                return l.field == f && sameValue(f, l.value, value);
            });
            if (!known)
                lost.push_back({f, std::string(trimBlanksAndControls(value))});
        }
    }
    std::string remarks(trimBlanksAndControls(out.view(Field::Comment)));
    const std::size_t room = fieldLayout(Field::Comment).maxLength;
    for (LostValue &l : lost) {
        std::string line = (remarks.empty() ? "" : "\n") + std::string(alsoLabel) + l.value;
        if (remarks.size() + line.size() <= room) {
            remarks += line;
            result.alsoKept.push_back(std::move(l));
        } else
            result.notKept.push_back(std::move(l));
    }
    if (!result.alsoKept.empty())
        out.set(Field::Comment, remarks);
    return result;
}

} // namespace vcq::duplicates

// SPDX-License-Identifier: GPL-3.0-or-later
// A sorted sequence of contact ids split into short runs: inserting or
// removing one id moves at most one run's worth of entries, and a row number
// is found from the runs' start rows, so a million contacts change as
// cheaply as a few thousand. The order itself is the caller's: every search
// takes a predicate that says whether an id sorts before the place sought.
// Each id may carry a key of the caller's beside it (0 when none is given),
// so that a search can compare rows without reading what the ids stand for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

namespace vcq
{

// A caller's key beside an id in a ContactOrder: compared high first.
struct OrderKey {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    friend bool operator==(const OrderKey &, const OrderKey &) = default;
    friend bool operator<(const OrderKey &a, const OrderKey &b)
    {
        return a.high != b.high ? a.high < b.high : a.low < b.low;
    }
};

class ContactOrder
{
public:
    using Id = std::uint32_t;
    using Key = OrderKey;

private:
    struct Run {
        std::vector<Id> ids;
        std::vector<Key> keys; // beside ids, as long
    };

public:
    class const_iterator
    {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = Id;
        using difference_type = std::ptrdiff_t;
        using pointer = const Id *;
        using reference = Id;

        const_iterator() = default;
        Id operator*() const { return (*m_runs)[m_run].ids[m_at]; }
        Key key() const { return (*m_runs)[m_run].keys[m_at]; }
        const_iterator &operator++();
        const_iterator operator++(int)
        {
            auto copy = *this;
            ++*this;
            return copy;
        }
        const_iterator &operator--();
        bool operator==(const const_iterator &o) const
        {
            return m_run == o.m_run && m_at == o.m_at;
        }

    private:
        friend class ContactOrder;
        const_iterator(const std::vector<Run> *runs, std::size_t run, std::size_t at)
            : m_runs(runs), m_run(run), m_at(at)
        {
        }
        const std::vector<Run> *m_runs = nullptr;
        std::size_t m_run = 0;
        std::size_t m_at = 0;
    };

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const_iterator begin() const { return const_iterator(&m_runs, 0, 0); }
    const_iterator end() const { return const_iterator(&m_runs, m_runs.size(), 0); }

    // The id at a row (0 <= row < size()), and its key.
    Id at(std::size_t row) const;
    Key keyAt(std::size_t row) const;
    // The first row whose id does not sort before the place sought: `before`
    // answers true for the ids in front of it, false from it on.
    template <typename Before> std::size_t lowerBound(Before before) const
    {
        // The first run whose last id is not before the place holds it.
        std::size_t lo = 0, hi = m_runs.size();
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (before(m_runs[mid].ids.back()))
                lo = mid + 1;
            else
                hi = mid;
        }
        if (lo == m_runs.size())
            return m_size;
        const std::vector<Id> &run = m_runs[lo].ids;
        std::size_t a = 0, b = run.size();
        while (a < b) {
            const std::size_t mid = a + (b - a) / 2;
            if (before(run[mid]))
                a = mid + 1;
            else
                b = mid;
        }
        return m_starts[lo] + a;
    }

    void insertAt(std::size_t row, Id id, Key key = {});
    void eraseAt(std::size_t row);
    // Replaces the whole sequence with ids already in order, with their keys
    // (none: all zero).
    void assign(const std::vector<Id> &ids, const std::vector<Key> &keys = {});
    void clear();

private:
    // Where a row lives: its run and its place in the run.
    std::pair<std::size_t, std::size_t> locate(std::size_t row) const;
    void restartFrom(std::size_t run);

    std::vector<Run> m_runs;           // never holds an empty run
    std::vector<std::size_t> m_starts; // first row of each run
    std::size_t m_size = 0;
};

} // namespace vcq

// SPDX-License-Identifier: GPL-3.0-or-later
#include "contact_order.h"

#include <algorithm>
#include <stdexcept>
#include <tuple>

namespace vcq
{

namespace
{

// Runs are split when they grow past twice this and filled to it on assign:
// small enough that moving a run's entries costs little, large enough that
// the runs' own bookkeeping stays short.
constexpr std::size_t kRunLength = 1024;

} // namespace

ContactOrder::const_iterator &ContactOrder::const_iterator::operator++()
{
    if (++m_at == (*m_runs)[m_run].ids.size()) {
        ++m_run;
        m_at = 0;
    }
    return *this;
}

ContactOrder::const_iterator &ContactOrder::const_iterator::operator--()
{
    if (m_at == 0) {
        --m_run;
        m_at = (*m_runs)[m_run].ids.size();
    }
    --m_at;
    return *this;
}

std::pair<std::size_t, std::size_t> ContactOrder::locate(std::size_t row) const
{
    if (row >= m_size)
        throw std::out_of_range("no such row");
    // The last run that starts at or before the row.
    const auto it = std::upper_bound(m_starts.begin(), m_starts.end(), row);
    const auto run = static_cast<std::size_t>(it - m_starts.begin()) - 1;
    return {run, row - m_starts[run]};
}

ContactOrder::Id ContactOrder::at(std::size_t row) const
{
    const auto [run, at] = locate(row);
    return m_runs[run].ids[at];
}

ContactOrder::Key ContactOrder::keyAt(std::size_t row) const
{
    const auto [run, at] = locate(row);
    return m_runs[run].keys[at];
}

void ContactOrder::restartFrom(std::size_t run)
{
    m_starts.resize(m_runs.size());
    std::size_t start = run == 0 ? 0 : m_starts[run - 1] + m_runs[run - 1].ids.size();
    for (std::size_t i = run; i < m_runs.size(); ++i) {
        m_starts[i] = start;
        start += m_runs[i].ids.size();
    }
}

void ContactOrder::insertAt(std::size_t row, Id id, Key key)
{
    if (row > m_size)
        throw std::out_of_range("no such row");
    if (m_runs.empty()) {
        Run &first = m_runs.emplace_back();
        first.ids.reserve(kRunLength);
        first.keys.reserve(kRunLength);
        first.ids.push_back(id);
        first.keys.push_back(key);
        m_starts.assign(1, 0);
        m_size = 1;
        return;
    }
    // A row just past the end goes at the end of the last run.
    std::size_t run, at;
    if (row == m_size) {
        run = m_runs.size() - 1;
        at = m_runs[run].ids.size();
    } else {
        std::tie(run, at) = locate(row);
    }
    Run &r = m_runs[run];
    r.ids.insert(r.ids.begin() + static_cast<std::ptrdiff_t>(at), id);
    r.keys.insert(r.keys.begin() + static_cast<std::ptrdiff_t>(at), key);
    ++m_size;
    if (r.ids.size() > 2 * kRunLength) {
        const auto half = static_cast<std::ptrdiff_t>(kRunLength);
        Run tail{{r.ids.begin() + half, r.ids.end()}, {r.keys.begin() + half, r.keys.end()}};
        r.ids.resize(kRunLength);
        r.keys.resize(kRunLength);
        m_runs.insert(m_runs.begin() + static_cast<std::ptrdiff_t>(run) + 1, std::move(tail));
        restartFrom(run + 1);
    } else {
        for (std::size_t i = run + 1; i < m_starts.size(); ++i)
            ++m_starts[i];
    }
}

void ContactOrder::eraseAt(std::size_t row)
{
    const auto [run, at] = locate(row);
    Run &r = m_runs[run];
    r.ids.erase(r.ids.begin() + static_cast<std::ptrdiff_t>(at));
    r.keys.erase(r.keys.begin() + static_cast<std::ptrdiff_t>(at));
    --m_size;
    if (r.ids.empty()) {
        m_runs.erase(m_runs.begin() + static_cast<std::ptrdiff_t>(run));
    }
    restartFrom(run);
}

void ContactOrder::assign(const std::vector<Id> &ids, const std::vector<Key> &keys)
{
    if (!keys.empty() && keys.size() != ids.size())
        throw std::invalid_argument("a key for each id");
    clear();
    for (std::size_t i = 0; i < ids.size(); i += kRunLength) {
        const std::size_t n = std::min(kRunLength, ids.size() - i);
        const auto from = static_cast<std::ptrdiff_t>(i);
        const auto to = static_cast<std::ptrdiff_t>(i + n);
        Run &run = m_runs.emplace_back();
        run.ids.assign(ids.begin() + from, ids.begin() + to);
        if (keys.empty())
            run.keys.assign(n, Key{});
        else
            run.keys.assign(keys.begin() + from, keys.begin() + to);
    }
    m_size = ids.size();
    restartFrom(0);
}

void ContactOrder::clear()
{
    m_runs.clear();
    m_starts.clear();
    m_size = 0;
}

} // namespace vcq

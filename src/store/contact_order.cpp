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
    if (++m_at == (*m_runs)[m_run].size()) {
        ++m_run;
        m_at = 0;
    }
    return *this;
}

ContactOrder::const_iterator &ContactOrder::const_iterator::operator--()
{
    if (m_at == 0) {
        --m_run;
        m_at = (*m_runs)[m_run].size();
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
    return m_runs[run][at];
}

void ContactOrder::restartFrom(std::size_t run)
{
    m_starts.resize(m_runs.size());
    std::size_t start = run == 0 ? 0 : m_starts[run - 1] + m_runs[run - 1].size();
    for (std::size_t i = run; i < m_runs.size(); ++i) {
        m_starts[i] = start;
        start += m_runs[i].size();
    }
}

void ContactOrder::insertAt(std::size_t row, Id id)
{
    if (row > m_size)
        throw std::out_of_range("no such row");
    if (m_runs.empty()) {
        m_runs.emplace_back().reserve(kRunLength);
        m_runs.back().push_back(id);
        m_starts.assign(1, 0);
        m_size = 1;
        return;
    }
    // A row just past the end goes at the end of the last run.
    std::size_t run, at;
    if (row == m_size) {
        run = m_runs.size() - 1;
        at = m_runs[run].size();
    } else {
        std::tie(run, at) = locate(row);
    }
    std::vector<Id> &r = m_runs[run];
    r.insert(r.begin() + static_cast<std::ptrdiff_t>(at), id);
    ++m_size;
    if (r.size() > 2 * kRunLength) {
        std::vector<Id> tail(r.begin() + static_cast<std::ptrdiff_t>(kRunLength), r.end());
        r.resize(kRunLength);
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
    std::vector<Id> &r = m_runs[run];
    r.erase(r.begin() + static_cast<std::ptrdiff_t>(at));
    --m_size;
    if (r.empty()) {
        m_runs.erase(m_runs.begin() + static_cast<std::ptrdiff_t>(run));
    }
    restartFrom(run);
}

void ContactOrder::assign(const std::vector<Id> &ids)
{
    clear();
    for (std::size_t i = 0; i < ids.size(); i += kRunLength) {
        const std::size_t n = std::min(kRunLength, ids.size() - i);
        std::vector<Id> &run = m_runs.emplace_back();
        run.reserve(n);
        run.insert(run.end(), ids.begin() + static_cast<std::ptrdiff_t>(i),
                   ids.begin() + static_cast<std::ptrdiff_t>(i + n));
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

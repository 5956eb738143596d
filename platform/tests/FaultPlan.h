#pragma once

// Fails the n-th file operation at the chosen points (counting from 1), once, with a full disk;
// installed for its lifetime. With n = 0 it only counts, which tells a test how many points a
// run passes, so that the next runs can fail each one in turn.

#include "platform/Exceptions.h"
#include "platform/FileFaults.h"

#include <cerrno>
#include <initializer_list>
#include <set>

namespace platform::testing {

class FaultPlan final : public FileFaults {
public:
    FaultPlan(std::initializer_list<FilePoint> points, int failAt)
        : m_points(points), m_failAt(failAt) {}

    void Check(FilePoint point, const std::string& path) override {
        if (!m_points.count(point)) return;
        if (++m_seen == m_failAt) {
            m_fired = true;
            throw FileException::FromErrno(ENOSPC, "write (injected)", path);
        }
    }
    int GetSeen() const { return m_seen; }
    bool HasFired() const { return m_fired; }

private:
    std::set<FilePoint> m_points;
    int m_failAt;
    int m_seen = 0;
    bool m_fired = false;
    Installed<FileFaults> m_installed{gFileFaults, this};
};

} // namespace platform::testing

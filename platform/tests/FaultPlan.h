#pragma once

// Fails the n-th file operation at the chosen points (counting from 1), once, with a full disk;
// installed for its lifetime. With n = 0 it only counts, which tells a test how many points a
// run passes, so that the next runs can fail each one in turn.

#include "platform/Exceptions.h"
#include "platform/FileFaults.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <string>

namespace platform::testing {

class FaultPlan final : public FileFaults {
public:
    FaultPlan(std::set<FilePoint> points, int failAt)
        : m_points(std::move(points)), m_failAt(failAt) {}

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

// Every point a save passes: each write, each sync and the rename.
inline const std::set<FilePoint> kSavePoints = {FilePoint::Write, FilePoint::Flush,
                                                FilePoint::Rename};

// Runs `probe` once to count the save points it passes, then `attempt` once for every point
// with that point failing (the step's number is in the test's trace). Returns the count.
template <typename Probe, typename Attempt>
int FailEachPoint(Probe&& probe, Attempt&& attempt) {
    int points = 0;
    {
        FaultPlan counting(kSavePoints, 0);
        probe();
        points = counting.GetSeen();
    }
    for (int step = 1; step <= points; ++step) {
        SCOPED_TRACE("failing step " + std::to_string(step) + " of " + std::to_string(points));
        FaultPlan plan(kSavePoints, step);
        attempt();
        EXPECT_TRUE(plan.HasFired());
    }
    return points;
}

} // namespace platform::testing

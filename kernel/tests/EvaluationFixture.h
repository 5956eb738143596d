#pragma once

// The calculation actions' document with a session talking to a scripted kernel on a pipe.

#include "EvaluationDocument.h"
#include "SessionFixture.h"

namespace kerneltest {

// The document with a session on a scripted kernel.
class EvaluationTest : public SessionTest, public DocumentInView {
protected:
    // Serves the replies; the requests the kernel read since the last call.
    std::vector<std::string> NewRequests() {
        std::vector<std::string> all = kernel->Requests();
        std::vector<std::string> fresh(all.begin() + static_cast<long>(m_seen), all.end());
        m_seen = all.size();
        return fresh;
    }

private:
    size_t m_seen = 0;
};

} // namespace kerneltest

#include "TestPipe.h"

namespace standin::testing {

TestPipe::TestPipe() {
    for (int side = 0; side < 2; ++side) {
        m_readers[side].pipe = this;
        m_readers[side].side = side;
    }
}

void TestPipe::sendMessage(int side, int32_t code) {
    std::lock_guard lock(m_mutex);
    m_messages[side].push_back(code);
}

bool TestPipe::messageWaiting(int side) {
    std::lock_guard lock(m_mutex);
    return !m_messages[side].empty();
}

int32_t TestPipe::Reader::take() {
    std::lock_guard lock(pipe->m_mutex);
    if (pipe->m_messages[side].empty()) return 0;
    int32_t code = pipe->m_messages[side].front();
    pipe->m_messages[side].pop_front();
    return code;
}

} // namespace standin::testing

// The callback records that devices call: on which thread a function runs, that queued calls
// keep their own arguments, that any non-zero yield answer stops, and what a destroyed record
// answers.

#include "CallbackRecord.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace corvinet {
namespace {

struct Seen {
    std::mutex mutex;
    std::vector<std::pair<int32_t, int32_t>> messages;
    std::vector<std::thread::id> threads;
};
Seen* seen = nullptr;

void recordMessage(QKLinkRecord*, int32_t code, int32_t parameter) {
    std::lock_guard lock(seen->mutex);
    seen->messages.emplace_back(code, parameter);
    seen->threads.push_back(std::this_thread::get_id());
}

int32_t answerCount(QKLinkRecord*, QKYieldParameters yp) {
    {
        std::lock_guard lock(seen->mutex);
        seen->threads.push_back(std::this_thread::get_id());
    }
    return yp ? yp->count : 0;
}

class CallbackRecordTest : public ::testing::Test {
protected:
    void SetUp() override { seen = &m_seen; }
    void TearDown() override { seen = nullptr; }
    Seen m_seen;
};

QKCallbackRecord* makeYield(bool threaded) {
    return makeCallbackRecord(QKCALLBACK_YIELD, reinterpret_cast<void (*)()>(&answerCount),
                              threaded);
}
QKCallbackRecord* makeHandler(bool threaded) {
    return makeCallbackRecord(QKCALLBACK_HANDLER, reinterpret_cast<void (*)()>(&recordMessage),
                              threaded);
}

TEST_F(CallbackRecordTest, AYieldAnswerStopsWhateverBitsItSets) {
    for (bool threaded : {false, true}) {
        SCOPED_TRACE(threaded ? "callback thread" : "calling thread");
        QKCallbackRecord* record = makeYield(threaded);
        ASSERT_NE(record, nullptr);
        for (int32_t answer : {0, 1, 0x10000, -1}) {
            QKYieldParametersRecord yp{1, 5, answer, QKYIELD_READING};
            EXPECT_EQ(qkCallbackYield(record, nullptr, &yp), answer);
        }
        destroyCallbackRecord(record);
    }
}

TEST_F(CallbackRecordTest, ThreadedRecordsRunOnTheirOwnThreadFromEveryCaller) {
    QKCallbackRecord* record = makeYield(true);
    ASSERT_NE(record, nullptr);
    std::vector<std::thread> callers;
    for (int i = 0; i < 4; ++i)
        callers.emplace_back([&, i] {
            QKYieldParametersRecord yp{1, 5, i, QKYIELD_READING};
            EXPECT_EQ(qkCallbackYield(record, nullptr, &yp), i);
        });
    for (std::thread& caller : callers)
        caller.join();
    destroyCallbackRecord(record);
    ASSERT_EQ(m_seen.threads.size(), 4u);
    for (std::thread::id id : m_seen.threads) {
        EXPECT_EQ(id, m_seen.threads.front());
        EXPECT_NE(id, std::this_thread::get_id());
    }
}

TEST_F(CallbackRecordTest, EveryQueuedMessageKeepsItsOwnArguments) {
    QKCallbackRecord* record = makeHandler(true);
    ASSERT_NE(record, nullptr);
    std::vector<std::pair<int32_t, int32_t>> sent;
    for (int32_t i = 0; i < 200; ++i) {
        sent.emplace_back(i % 7, i);
        EXPECT_EQ(qkCallbackMessage(record, nullptr, i % 7, i), 1);
    }
    // A yield record would wait; a handler does not, so wait for the queue to drain.
    for (int spins = 0; spins < 5000; ++spins) {
        {
            std::lock_guard lock(m_seen.mutex);
            if (m_seen.messages.size() == sent.size()) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    destroyCallbackRecord(record);
    EXPECT_EQ(m_seen.messages, sent);
    for (std::thread::id id : m_seen.threads)
        EXPECT_NE(id, std::this_thread::get_id());
}

TEST_F(CallbackRecordTest, ACalledRecordRunsOnTheCallingThread) {
    QKCallbackRecord* record = makeHandler(false);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(qkCallbackMessage(record, nullptr, 3, 9), 1);
    ASSERT_EQ(m_seen.threads.size(), 1u);
    EXPECT_EQ(m_seen.threads[0], std::this_thread::get_id());
    destroyCallbackRecord(record);
}

TEST_F(CallbackRecordTest, ADestroyedRecordStopsWaitsAndDropsMessages) {
    for (bool threaded : {false, true}) {
        SCOPED_TRACE(threaded ? "callback thread" : "calling thread");
        QKCallbackRecord* yield = makeYield(threaded);
        QKCallbackRecord* handler = makeHandler(threaded);
        // A device still holds both, so their memory outlives the destroy.
        qkCallbackRetain(yield);
        qkCallbackRetain(handler);
        EXPECT_EQ(destroyCallbackRecord(yield), reinterpret_cast<void (*)()>(&answerCount));
        EXPECT_EQ(destroyCallbackRecord(handler), reinterpret_cast<void (*)()>(&recordMessage));
        EXPECT_EQ(destroyCallbackRecord(yield), nullptr);
        QKYieldParametersRecord yp{1, 5, 0, QKYIELD_READING};
        EXPECT_EQ(qkCallbackYield(yield, nullptr, &yp), 1);
        EXPECT_EQ(qkCallbackMessage(handler, nullptr, 3, 0), 0);
        qkCallbackRelease(yield);
        qkCallbackRelease(handler);
        EXPECT_TRUE(m_seen.messages.empty());
    }
}

TEST_F(CallbackRecordTest, WhatIsNoRecordAnswersLikeADestroyedOne) {
    EXPECT_EQ(qkCallbackYield(nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(qkCallbackMessage(nullptr, nullptr, 1, 1), 0);
    QKCallbackRecord* handler = makeHandler(false);
    // A handler record is not a yield record and the other way round.
    EXPECT_EQ(qkCallbackYield(handler, nullptr, nullptr), 1);
    destroyCallbackRecord(handler);
    EXPECT_EQ(makeCallbackRecord(QKCALLBACK_YIELD, nullptr, true), nullptr);
}

// A yield call waiting in the queue when the record is destroyed is answered 1, not left
// waiting.
std::atomic<bool> release{false}, started{false};
int32_t blockUntilReleased(QKLinkRecord*, QKYieldParameters) {
    started = true;
    while (!release)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 7;
}

TEST_F(CallbackRecordTest, QueuedYieldCallsEndWhenTheRecordIsDestroyed) {
    release = false;
    started = false;
    QKCallbackRecord* record = makeCallbackRecord(
        QKCALLBACK_YIELD, reinterpret_cast<void (*)()>(&blockUntilReleased), true);
    qkCallbackRetain(record);
    std::atomic<int32_t> first{-1}, second{-1};
    auto queued = [&] {
        pthread_mutex_lock(&record->lock);
        bool any = record->queueHead != nullptr;
        pthread_mutex_unlock(&record->lock);
        return any;
    };
    std::thread a([&] { first = qkCallbackYield(record, nullptr, nullptr); });
    while (!started)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::thread b([&] { second = qkCallbackYield(record, nullptr, nullptr); });
    while (!queued())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    auto destroyed = [&] {
        pthread_mutex_lock(&record->lock);
        bool gone = record->destroyed != 0;
        pthread_mutex_unlock(&record->lock);
        return gone;
    };
    std::thread destroyer([&] { destroyCallbackRecord(record); });
    // The running call may end only once the destroy is under way, however slow the machine.
    while (!destroyed())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    release = true;
    a.join();
    b.join();
    destroyer.join();
    EXPECT_EQ(first, 7);  // it was running: it finishes
    EXPECT_EQ(second, 1); // it was queued: it is answered "stop"
    qkCallbackRelease(record);
}

} // namespace
} // namespace corvinet

#include "ShmemMapping.h"

#include <sys/random.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace devices::shmem {
namespace {

std::atomic_ref<uint32_t> wordAt(uint8_t* mapping, std::size_t at) {
    return std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(mapping + at));
}

pthread_mutex_t* mutexOf(uint8_t* mapping) {
    return reinterpret_cast<pthread_mutex_t*>(mapping + kMutexAt);
}

static_assert(std::atomic_ref<uint32_t>::is_always_lock_free);
static_assert(kMappingSize >= kFieldsEnd && kDataBytesAt + kDataRingSize == kFieldsEnd);
static_assert(kMessageBytesAt + kMessageRingSize == kDataBytesAt);

} // namespace

uint32_t loadWord(const uint8_t* mapping, std::size_t at) {
    return wordAt(const_cast<uint8_t*>(mapping), at).load(std::memory_order_acquire);
}

void storeWord(uint8_t* mapping, std::size_t at, uint32_t value) {
    wordAt(mapping, at).store(value, std::memory_order_release);
}

void announceSleep(uint8_t* mapping, bool sleeps) {
    wordAt(mapping, kSleepAt).store(sleeps ? 1 : 0, std::memory_order_seq_cst);
    std::atomic_thread_fence(std::memory_order_seq_cst);
}

bool sleeps(const uint8_t* mapping) {
    std::atomic_thread_fence(std::memory_order_seq_cst);
    return wordAt(const_cast<uint8_t*>(mapping), kSleepAt).load(std::memory_order_seq_cst) != 0;
}

void readName(const uint8_t* mapping, char* out) {
    std::memcpy(out, mapping + kNameAt, kNameSize);
    out[kNameSize] = '\0';
}

void writeName(uint8_t* mapping, const char* name) {
    std::size_t length = strnlen(name, kNameSize - 1);
    std::memset(mapping + kNameAt, 0, kNameSize);
    std::memcpy(mapping + kNameAt, name, length);
}

bool initMapping(uint8_t* mapping, const char* name, bool listens) {
    writeName(mapping, name);
    storeWord(mapping, kProcessAt, static_cast<uint32_t>(getpid()));
    storeWord(mapping, kListensAt, listens ? 1 : 0);
    const struct {
        std::size_t at;
        uint32_t size;
    } rings[] = {{kDataRingAt, kDataRingSize}, {kMessageRingAt, kMessageRingSize}};
    for (const auto& ring : rings) {
        storeWord(mapping, ring.at + 4 * kSizeWord, ring.size);
        storeWord(mapping, ring.at + 4 * kFreeWord, ring.size);
    }
    pthread_mutexattr_t attributes;
    if (pthread_mutexattr_init(&attributes) != 0) return false;
    bool made = pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED) == 0 &&
                pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST) == 0 &&
                pthread_mutex_init(mutexOf(mapping), &attributes) == 0;
    pthread_mutexattr_destroy(&attributes);
    if (made) storeWord(mapping, kMagicAt, kMagic);
    return made;
}

// ---- Ring -----------------------------------------------------------------------------------

int64_t Ring::freeBytes() const {
    uint32_t free = word(kFreeWord);
    return free <= m_size ? int64_t(free) : -1;
}

void Ring::addFree(int64_t delta) {
    wordAt(m_mapping, m_recordAt + 4 * kFreeWord)
        .fetch_add(static_cast<uint32_t>(delta), std::memory_order_acq_rel);
}

int64_t Ring::held() const {
    int64_t free = freeBytes();
    return free < 0 ? -1 : m_size - free;
}

int Ring::take(uint8_t* to, uint32_t count) {
    uint32_t read = word(kReadWord);
    int64_t held = this->held();
    if (read >= m_size || held < 0 || count > held) return kRingDamaged;
    uint8_t* bytes = m_mapping + m_bytesAt;
    uint32_t first = std::min(count, m_size - read);
    std::memcpy(to, bytes + read, first);
    std::memcpy(to + first, bytes, count - first);
    setWord(kReadWord, (read + count) % m_size);
    addFree(count);
    return kRingDone;
}

int Ring::put(const uint8_t* bytes, uint32_t count) {
    uint32_t write = word(kWriteWord);
    int64_t free = freeBytes();
    if (write >= m_size || free < 0 || count > m_size) return kRingDamaged;
    if (count > free) return kRingNoRoom;
    uint8_t* ring = m_mapping + m_bytesAt;
    uint32_t first = std::min(count, m_size - write);
    std::memcpy(ring + write, bytes, first);
    std::memcpy(ring, bytes + first, count - first);
    setWord(kWriteWord, (write + count) % m_size);
    addFree(-int64_t(count));
    return kRingDone;
}

int Ring::drop(uint32_t count) {
    uint32_t read = word(kReadWord);
    int64_t held = this->held();
    if (read >= m_size || held < 0 || count > held) return kRingDamaged;
    setWord(kReadWord, (read + count) % m_size);
    addFree(count);
    return kRingDone;
}

// ---- Mutex ----------------------------------------------------------------------------------

bool lockMapping(uint8_t* mapping, int milliseconds) {
    timespec until{};
    clock_gettime(CLOCK_REALTIME, &until);
    until.tv_sec += milliseconds / 1000;
    until.tv_nsec += (milliseconds % 1000) * 1'000'000L;
    if (until.tv_nsec >= 1'000'000'000L) {
        until.tv_sec += 1;
        until.tv_nsec -= 1'000'000'000L;
    }
    int result = pthread_mutex_timedlock(mutexOf(mapping), &until);
    if (result == EOWNERDEAD) result = pthread_mutex_consistent(mutexOf(mapping));
    return result == 0;
}

void unlockMapping(uint8_t* mapping) {
    pthread_mutex_unlock(mutexOf(mapping));
}

// ---- Names ----------------------------------------------------------------------------------

uint32_t nextNameValue(uint32_t& seed) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
}

uint32_t firstNameSeed(uint32_t millisecondsSinceStart) {
    uint32_t random = 0;
    if (getrandom(&random, sizeof random, GRND_NONBLOCK) != sizeof random) random = 0;
    return millisecondsSinceStart ^ (static_cast<uint32_t>(getpid()) * 2654435761u) ^ random;
}

void nameText(uint32_t value, char out[4]) {
    static constexpr char kDigits[] = "23456789abcdefghijkmnpqrstuvwxyz";
    char reversed[4];
    int length = 0;
    do {
        reversed[length++] = kDigits[value % 32];
        value /= 32;
    } while (value != 0 && length < 3);
    for (int i = 0; i < length; ++i)
        out[i] = reversed[length - 1 - i];
    out[length] = '\0';
}

} // namespace devices::shmem

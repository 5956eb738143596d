#pragma once

// The shared-memory mapping that each end of a link owns, and the rings inside it.
//
// The cross-process fields sit at fixed byte offsets in 32-bit words, as the format has always
// had them: magic, name, the listening flag, the connect-attempted and peer-gone flags, two ring
// records and the ring bytes. The words that once held process-local handles and pointers stay
// zero; here those live in the link's local record. A robust process-shared mutex follows the
// fixed fields; it guards the message ring, whose writer may drop the oldest message. After it
// lies the sleep word: non-zero while the owner sleeps waiting for data, so that a writer wakes
// it only then and a reader that watches its ring costs the writer no system call.
//
// Each end writes only into its peer's rings and reads only its own. The data ring has one
// writer and one reader and needs no lock: the writer fills bytes, then lowers the free count
// (release); the reader takes bytes, then raises it. The peer is not trusted: every offset and
// count read from a mapping is checked before it is used, and a bad one ends the link.

#include <pthread.h>

#include <cstddef>
#include <cstdint>

namespace devices::shmem {

constexpr uint32_t kMagic = 0x797A8D77; // 2038074743
constexpr std::size_t kNameSize = 48;

// Byte offsets of the fields.
enum Field : std::size_t {
    kMagicAt = 0,
    kNameAt = 4,
    kProcessAt = 64,
    kListensAt = 68,
    kConnectAttemptedAt = 72,
    kPeerGoneAt = 76,
    kDataRingAt = 148,
    kMessageRingAt = 164,
    kMessageBytesAt = 184,
    kDataBytesAt = 248,
    kFieldsEnd = 16632,
    kMutexAt = 16632,
    kSleepAt = kMutexAt + ((sizeof(pthread_mutex_t) + 7) & ~std::size_t(7)),
};

constexpr uint32_t kDataRingSize = 16384;
constexpr uint32_t kMessageRingSize = 64;
constexpr uint32_t kMessageSize = 8;
// The mapping's length: the fixed fields, the mutex and the sleep word.
constexpr std::size_t kMappingSize = kSleepAt + 8;

// Ring record words.
enum RingWord : std::size_t { kReadWord = 0, kWriteWord = 1, kSizeWord = 2, kFreeWord = 3 };

// Fills a new mapping's fields (the magic last) and makes its mutex.
bool initMapping(uint8_t* mapping, const char* name, bool listens);
uint32_t loadWord(const uint8_t* mapping, std::size_t at);
void storeWord(uint8_t* mapping, std::size_t at, uint32_t value);

// The sleep handshake over a reader's data ring. The reader announces its sleep and then looks
// at the ring once more; the writer puts its bytes and then looks at the word. Each side's store
// is ordered before its load, so at least one of them sees the other: a reader never sleeps on
// bytes that are there without the writer waking it.
void announceSleep(uint8_t* mapping, bool sleeps);
bool sleeps(const uint8_t* mapping);
// The name field, terminated within `out` (kNameSize + 1 bytes).
void readName(const uint8_t* mapping, char* out);
void writeName(uint8_t* mapping, const char* name);

enum RingResult : int { kRingDone = 1, kRingNoRoom = 0, kRingDamaged = -1 };

// A view of one ring in a mapping. The ring's size is this side's constant, never the word in
// the mapping.
class Ring {
public:
    Ring(uint8_t* mapping, std::size_t recordAt, std::size_t bytesAt, uint32_t size)
        : m_mapping(mapping), m_recordAt(recordAt), m_bytesAt(bytesAt), m_size(size) {}
    static Ring data(uint8_t* mapping) {
        return Ring(mapping, kDataRingAt, kDataBytesAt, kDataRingSize);
    }
    static Ring messages(uint8_t* mapping) {
        return Ring(mapping, kMessageRingAt, kMessageBytesAt, kMessageRingSize);
    }

    // Bytes waiting for the reader, or -1 when the record is damaged.
    int64_t held() const;
    // Reads `count` bytes (no more than held); kRingDone or kRingDamaged.
    int take(uint8_t* to, uint32_t count);
    // Writes all `count` bytes, or nothing when fewer are free.
    int put(const uint8_t* bytes, uint32_t count);
    // Drops `count` held bytes (the oldest message); needs the ring's mutex.
    int drop(uint32_t count);

private:
    uint32_t word(RingWord w) const { return loadWord(m_mapping, m_recordAt + 4 * w); }
    void setWord(RingWord w, uint32_t value) { storeWord(m_mapping, m_recordAt + 4 * w, value); }
    // The free count, or -1 when it is out of range.
    int64_t freeBytes() const;
    void addFree(int64_t delta);

    uint8_t* m_mapping;
    std::size_t m_recordAt;
    std::size_t m_bytesAt;
    uint32_t m_size;
};

// Locks a mapping's message-ring mutex for at most `milliseconds`. A holder that died leaves it
// consistent again (the ring words are checked on every use anyway). False when it cannot be
// had.
bool lockMapping(uint8_t* mapping, int milliseconds);
void unlockMapping(uint8_t* mapping);

// Generated link names: a linear congruential step, then 15 bits written in base 32 with the
// digits "23456789abcdefghijkmnpqrstuvwxyz" (no 0, 1, l or o), one to three characters.
uint32_t nextNameValue(uint32_t& seed);
void nameText(uint32_t value, char out[4]);
// The first seed of a process's sequence. The time since start alone is much the same in
// programs started together, which then drew the same names: a program launched for a listener
// that had gone could connect to another program's listener of that name. The process id and
// random bits set each process on a sequence of its own.
uint32_t firstNameSeed(uint32_t millisecondsSinceStart);

} // namespace devices::shmem

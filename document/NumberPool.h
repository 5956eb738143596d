#pragma once

// Hands out small positive numbers that are unique within one document (the identity numbers of
// its paragraphs), reusing released numbers first, most recently released first. The document
// owns one and stores it in its file header.

#include <cstdint>
#include <vector>

class DocStream;

class NumberPool {
public:
    NumberPool() { m_free.reserve(16); }

    // The most recently released number, or else one above the highest so far. Throws
    // std::overflow_error when the 32-bit range is used up, which only a damaged file that
    // reserved the largest number can bring about.
    int32_t Take();
    // One above the highest so far, never a released one; throws as Take does.
    int32_t TakeNew();

    // Makes n the first number the next Take hands out. The pool trusts its callers: it does
    // not check that n was handed out or is not free already.
    void Release(int32_t n);

    // Raises the highest number to n when n is greater, so fresh numbers continue above it.
    // Returns n.
    int32_t Reserve(int32_t n);

    // Takes n out of the free numbers wherever it stands there (a number that is claimed
    // again must not be handed out a second time).
    void Withdraw(int32_t n);
    // The released numbers, oldest first.
    const std::vector<int32_t>& GetFree() const { return m_free; }

    // Bytes that Write produces.
    int32_t GetStreamSize() const;

    // The record is the highest number, the count of free numbers, then the free numbers, oldest
    // first; all 32-bit. Read replaces the whole pool, and only once the record has been read
    // whole and found sound; a damaged record raises the stream's format error.
    void Write(DocStream& stream) const;
    void Read(DocStream& stream);

private:
    std::vector<int32_t> m_free; // a stack: the back is the most recently released
    int32_t m_highest = 0;       // highest number handed out or reserved; 0 in a fresh pool
};

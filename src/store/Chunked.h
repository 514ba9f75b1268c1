// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sequence kept in chunks of a fixed power-of-two size: it grows without
// moving what it holds (a large read copies nothing twice and touches its
// memory once), and indexing is a shift and a mask.
//
// Its chunks, and the text blocks of TextStore, come from SpareBlocks: a
// set that is read again, or replaced by a new one, reuses the memory the
// last one gave back. Handed to free(), that memory (megabytes for a large
// table) is returned to the system or not depending on where the allocator
// happened to place it, and each read then pays for faulting it in anew.

#include <cstddef>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>
#include <vector>

class SpareBlocks
{
public:
    // Uninitialised memory of exactly bytes.
    static std::byte *take(size_t bytes)
    {
        Pool &pool = instance();
        {
            const std::lock_guard lock(pool.mutex);
            for (size_t i = pool.spare.size(); i-- > 0;) {
                if (pool.spare[i].bytes == bytes) {
                    std::byte *block = pool.spare[i].block;
                    pool.spare.erase(pool.spare.begin() + std::ptrdiff_t(i));
                    pool.held -= bytes;
                    return block;
                }
            }
        }
        return new std::byte[bytes];
    }

    static void give(std::byte *block, size_t bytes)
    {
        Pool &pool = instance();
        {
            const std::lock_guard lock(pool.mutex);
            if (pool.held + bytes <= kMaxHeld) {
                pool.spare.push_back({bytes, block});
                pool.held += bytes;
                return;
            }
        }
        delete[] block;
    }

    struct Giver
    {
        size_t bytes = 0;
        void operator()(void *block) const { give(static_cast<std::byte *>(block), bytes); }
    };

private:
    // About what a set of a hundred thousand events holds.
    static constexpr size_t kMaxHeld = size_t(32) << 20;

    struct Spare
    {
        size_t bytes;
        std::byte *block;
    };
    struct Pool
    {
        std::mutex mutex;
        std::vector<Spare> spare;
        size_t held = 0;
    };
    // Never destroyed: record sets with static storage give their memory
    // back after every destructor has run.
    static Pool &instance()
    {
        static Pool *const pool = new Pool;
        return *pool;
    }
};

template <typename T> class Chunked
{
public:
    size_t size() const { return m_size; }
    T &operator[](size_t i) { return m_chunks[i >> kShift][i & kMask]; }
    const T &operator[](size_t i) const { return m_chunks[i >> kShift][i & kMask]; }

    void push_back(const T &value)
    {
        if ((m_size >> kShift) == m_chunks.size())
            newChunk();
        (*this)[m_size++] = value;
    }
    void resize(size_t n)
    {
        while (m_size < n)
            push_back(T());
        m_size = n;
    }
    // Removes count items from first on, moving the later ones down.
    void erase(size_t first, size_t count)
    {
        for (size_t i = first; i + count < m_size; ++i)
            (*this)[i] = (*this)[i + count];
        m_size -= count;
    }

private:
    static constexpr size_t kShift = 12;
    static constexpr size_t kChunk = size_t(1) << kShift;
    static constexpr size_t kMask = kChunk - 1;
    static constexpr size_t kBytes = kChunk * sizeof(T);

    void newChunk()
    {
        // Chunks are raw memory, so T must need no construction or destruction.
        static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
        T *chunk = reinterpret_cast<T *>(SpareBlocks::take(kBytes));
        m_chunks.emplace_back(chunk, SpareBlocks::Giver{kBytes});
    }

    std::vector<std::unique_ptr<T[], SpareBlocks::Giver>> m_chunks;
    size_t m_size = 0;
};

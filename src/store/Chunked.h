#pragma once
// A sequence kept in chunks of a fixed power-of-two size: it grows without
// moving what it holds (a large read copies nothing twice and touches its
// memory once), and indexing is a shift and a mask.

#include <cstddef>
#include <memory>
#include <vector>

template <typename T> class Chunked
{
public:
    size_t size() const { return m_size; }
    T &operator[](size_t i) { return m_chunks[i >> kShift][i & kMask]; }
    const T &operator[](size_t i) const { return m_chunks[i >> kShift][i & kMask]; }

    void push_back(const T &value)
    {
        if ((m_size >> kShift) == m_chunks.size())
            m_chunks.push_back(std::make_unique<T[]>(kChunk));
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
    std::vector<std::unique_ptr<T[]>> m_chunks;
    size_t m_size = 0;
};

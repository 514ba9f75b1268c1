#pragma once
// A record set's texts as UTF-8 in blocks that never move: reading a large
// table costs no allocation per value, and no text is copied again as the
// store grows (one growing buffer would copy and fault in everything anew at
// each doubling, which costs more than the reading itself).

#include <QString>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

class TextStore
{
public:
    // Keeps the text; returns its place for at().
    qint64 add(const char *text, int bytes)
    {
        const auto n = size_t(bytes);
        if (m_blocks.empty() || m_blocks.back().size() + n > m_blocks.back().capacity())
            newBlock(n);
        std::string &block = m_blocks.back();
        const qint64 place = (qint64(m_blocks.size() - 1) << 32) | qint64(block.size());
        block.append(text, n);
        return place;
    }

    QString at(qint64 place, int bytes) const
    {
        return QString::fromUtf8(m_blocks[size_t(place >> 32)].data() + (place & 0xffffffff),
                                 bytes);
    }

    // The text's UTF-8 exactly as kept, for binding it back.
    std::string_view bytes(qint64 place, int bytes) const
    {
        return {m_blocks[size_t(place >> 32)].data() + (place & 0xffffffff), size_t(bytes)};
    }

private:
    // Reserved, not filled: a small set touches only the pages it uses.
    void newBlock(size_t atLeast)
    {
        m_blocks.emplace_back();
        m_blocks.back().reserve(std::max(atLeast, kBlock));
    }

    static constexpr size_t kBlock = size_t(1) << 20;
    std::vector<std::string> m_blocks;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A record set's texts as UTF-8 in blocks that never move: reading a large
// table costs no allocation per value, and no text is copied again as the
// store grows (one growing buffer would copy and fault in everything anew at
// each doubling, which costs more than the reading itself). The blocks come
// from SpareBlocks (Chunked.h).
//
// Short texts that repeat (an event's type, a yes/no word) are kept once, as
// a QString that every read of them shares: such a read allocates nothing.

#include "store/Chunked.h"

#include <QString>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TextStore
{
public:
    // Keeps the text; returns its place for at().
    qint64 add(const char *text, int bytes)
    {
        if (bytes <= kShortBytes) {
            if (const qint64 place = shared(text, bytes); place < 0)
                return place;
        }
        const auto n = size_t(bytes);
        if (m_blocks.empty() || m_used + n > m_capacity)
            newBlock(n);
        const qint64 place = (qint64(m_blocks.size() - 1) << 32) | qint64(m_used);
        std::memcpy(m_blocks.back().get() + m_used, text, n);
        m_used += n;
        return place;
    }

    QString at(qint64 place, int bytes) const
    {
        if (place < 0)
            return m_shared[size_t(~place)];
        return toQString(m_blocks[size_t(place >> 32)].get() + (place & 0xffffffff), bytes);
    }

    // The text's UTF-8 exactly as kept, for binding it back.
    std::string_view bytes(qint64 place, int bytes) const
    {
        if (place < 0)
            return m_sharedBytes[size_t(~place)];
        return {m_blocks[size_t(place >> 32)].get() + (place & 0xffffffff), size_t(bytes)};
    }

private:
    static constexpr int kShortBytes = 16;
    // Few enough that a column of short texts that never repeat costs
    // little memory and a bounded search.
    static constexpr size_t kMaxShared = 64;
    static constexpr size_t kSlots = 256; // a power of two, well above kMaxShared
    static constexpr size_t kProbes = 4;

    struct Slot
    {
        char bytes[kShortBytes];
        int length = -1; // -1: empty
        int index = 0;   // into m_shared
    };

    // The shared text's place (negative), or 0 when the text is not shared
    // and not to be.
    qint64 shared(const char *text, int bytes)
    {
        if (!m_slots)
            m_slots = std::make_unique<Slot[]>(kSlots);
        // FNV-1a: short texts, so a byte at a time is cheap enough.
        quint32 hash = 2166136261u;
        for (int i = 0; i < bytes; ++i)
            hash = (hash ^ quint8(text[i])) * 16777619u;
        for (size_t probe = 0; probe < kProbes; ++probe) {
            Slot &slot = m_slots[(hash + probe) & (kSlots - 1)];
            if (slot.length == bytes && std::memcmp(slot.bytes, text, size_t(bytes)) == 0)
                return ~qint64(slot.index);
            if (slot.length < 0) {
                if (m_shared.size() >= kMaxShared)
                    return 0;
                std::memcpy(slot.bytes, text, size_t(bytes));
                slot.length = bytes;
                slot.index = int(m_shared.size());
                m_shared.push_back(toQString(text, bytes));
                m_sharedBytes.emplace_back(text, size_t(bytes));
                return ~qint64(slot.index);
            }
        }
        return 0;
    }

    // Most texts are ASCII: widening those is much cheaper than
    // QString::fromUtf8's decoding.
    static QString toQString(const char *text, int bytes)
    {
        QString s(bytes, Qt::Uninitialized);
        char16_t *out = reinterpret_cast<char16_t *>(s.data());
        unsigned char high = 0;
        for (int i = 0; i < bytes; ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            high |= c;
            out[i] = c;
        }
        if (high < 0x80)
            return s;
        return QString::fromUtf8(text, bytes);
    }

    // Left unfilled: a small set touches only the pages it uses.
    void newBlock(size_t atLeast)
    {
        m_capacity = std::max(atLeast, kBlock);
        m_blocks.emplace_back(reinterpret_cast<char *>(SpareBlocks::take(m_capacity)),
                              SpareBlocks::Giver{m_capacity});
        m_used = 0;
    }

    static constexpr size_t kBlock = size_t(1) << 20;
    std::vector<std::unique_ptr<char[], SpareBlocks::Giver>> m_blocks;
    size_t m_used = 0;     // in the last block
    size_t m_capacity = 0; // of the last block
    std::vector<QString> m_shared;
    std::vector<std::string> m_sharedBytes; // the same texts as kept, for bytes()
    std::unique_ptr<Slot[]> m_slots;        // open addressing over the shared texts
};

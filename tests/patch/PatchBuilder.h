#pragma once
// Builds ".pat" files for tests: records in the order given, with the header's count, the format
// mark and any record's length field open to override.

#include "Bytes.h"
#include "PatchFormat.h"

#include <cstdint>
#include <initializer_list>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

namespace tessaly::test {

class PatchFileBuilder {
public:
    struct Spec {
        std::uint8_t type;
        std::uint32_t index;
        std::vector<std::uint8_t> data;
    };
    PatchFileBuilder() = default;
    // The records given, in order.
    explicit PatchFileBuilder(std::initializer_list<Spec> records) {
        for (const Spec& r : records) {
            Record(r.type, r.index, r.data);
        }
    }
    PatchFileBuilder& Mark(std::uint16_t mark) {
        m_nMark = mark;
        return *this;
    }
    // Writes `count` in the header instead of the number of records.
    PatchFileBuilder& Count(std::uint32_t count) {
        m_nCount = count;
        return *this;
    }
    // A record whose length field is the data's size, or `lengthField` when given.
    PatchFileBuilder& Record(std::uint8_t type, std::uint32_t index, std::vector<std::uint8_t> data,
                             std::optional<std::uint32_t> lengthField = std::nullopt) {
        PatchRecordHeader{type, index,
                          lengthField.value_or(static_cast<std::uint32_t>(data.size()))}
            .Write(m_Records);
        m_Records.bytes(data);
        ++m_nRecords;
        return *this;
    }
    // `n` bytes of recognisable filler: seed, seed+1, ...
    static std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t seed = 1) {
        std::vector<std::uint8_t> v(n);
        std::iota(v.begin(), v.end(), seed);
        return v;
    }

    std::vector<std::uint8_t> Build() const {
        ByteWriter w;
        w.u32(m_nCount.value_or(m_nRecords)).u16(m_nMark).bytes(m_Records.data());
        return w.take();
    }

private:
    std::uint16_t m_nMark = kPatchMarkCurrent;
    std::optional<std::uint32_t> m_nCount;
    std::uint32_t m_nRecords = 0;
    ByteWriter m_Records;
};

}  // namespace tessaly::test

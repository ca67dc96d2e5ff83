#pragma once
// Bounded little-endian reading and writing of file bytes.
//
// Every read checks the bytes left and fails cleanly (false / std::nullopt) when they run out;
// nothing here ever reads outside the span it was given. The writer is used by savers and by the
// sample-client and test builders.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tessaly {

using ByteSpan = std::span<const std::uint8_t>;

inline std::uint16_t LoadLE16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t LoadLE32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t LoadLE64(const std::uint8_t* p) {
    return LoadLE32(p) | (std::uint64_t{LoadLE32(p + 4)} << 32);
}
inline void StoreLE16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void StoreLE32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

// True when [offset, offset + length) lies inside a block of `size` bytes (overflow-safe).
constexpr bool FitsIn(std::size_t offset, std::size_t length, std::size_t size) {
    return offset <= size && length <= size - offset;
}

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(ByteSpan data, std::size_t pos = 0) : m_data(data), m_pos(pos) {}

    std::size_t size() const { return m_data.size(); }
    std::size_t pos() const { return m_pos; }
    std::size_t remaining() const { return m_pos <= m_data.size() ? m_data.size() - m_pos : 0; }
    bool has(std::size_t n) const { return FitsIn(m_pos, n, m_data.size()); }
    ByteSpan data() const { return m_data; }

    // Moves to an absolute position; false (position unchanged) past the end.
    bool seek(std::size_t pos) {
        if (pos > m_data.size()) {
            return false;
        }
        m_pos = pos;
        return true;
    }
    bool skip(std::size_t n) {
        if (!has(n)) {
            return false;
        }
        m_pos += n;
        return true;
    }

    bool u8(std::uint8_t& v) {
        return take(1, [&](const std::uint8_t* p) { v = p[0]; });
    }
    bool u16(std::uint16_t& v) {
        return take(2, [&](const std::uint8_t* p) { v = LoadLE16(p); });
    }
    bool u32(std::uint32_t& v) {
        return take(4, [&](const std::uint8_t* p) { v = LoadLE32(p); });
    }
    bool u64(std::uint64_t& v) {
        return take(8, [&](const std::uint8_t* p) { v = LoadLE64(p); });
    }
    bool i8(std::int8_t& v) {
        return take(1, [&](const std::uint8_t* p) { v = static_cast<std::int8_t>(p[0]); });
    }
    bool i16(std::int16_t& v) {
        return take(2, [&](const std::uint8_t* p) { v = static_cast<std::int16_t>(LoadLE16(p)); });
    }
    bool i32(std::int32_t& v) {
        return take(4, [&](const std::uint8_t* p) { v = static_cast<std::int32_t>(LoadLE32(p)); });
    }

    // The next n bytes as a sub-span, or nullopt when fewer remain.
    std::optional<ByteSpan> bytes(std::size_t n) {
        if (!has(n)) {
            return std::nullopt;
        }
        ByteSpan s = m_data.subspan(m_pos, n);
        m_pos += n;
        return s;
    }
    // Copies n bytes into dst; false (nothing copied) when fewer remain.
    bool copy(void* dst, std::size_t n) {
        auto s = bytes(n);
        if (!s) {
            return false;
        }
        if (n != 0) {
            std::memcpy(dst, s->data(), n);
        }
        return true;
    }

private:
    template <typename F>
    bool take(std::size_t n, F&& f) {
        if (!has(n)) {
            return false;
        }
        f(m_data.data() + m_pos);
        m_pos += n;
        return true;
    }

    ByteSpan m_data;
    std::size_t m_pos = 0;
};

class ByteWriter {
public:
    ByteWriter& u8(std::uint8_t v) {
        m_data.push_back(v);
        return *this;
    }
    ByteWriter& u16(std::uint16_t v) {
        std::uint8_t b[2];
        StoreLE16(b, v);
        return raw(b, 2);
    }
    ByteWriter& u32(std::uint32_t v) {
        std::uint8_t b[4];
        StoreLE32(b, v);
        return raw(b, 4);
    }
    ByteWriter& u64(std::uint64_t v) {
        return u32(static_cast<std::uint32_t>(v)).u32(static_cast<std::uint32_t>(v >> 32));
    }
    ByteWriter& i16(std::int16_t v) { return u16(static_cast<std::uint16_t>(v)); }
    ByteWriter& i32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
    ByteWriter& bytes(ByteSpan s) { return raw(s.data(), s.size()); }
    ByteWriter& zeros(std::size_t n) {
        m_data.insert(m_data.end(), n, 0);
        return *this;
    }
    // Fixed-width text field: the text cut to `width` bytes, zero-padded.
    ByteWriter& text(std::string_view s, std::size_t width) {
        std::size_t n = s.size() < width ? s.size() : width;
        raw(reinterpret_cast<const std::uint8_t*>(s.data()), n);
        return zeros(width - n);
    }
    // Overwrites 4 bytes at an earlier position (for counts and offsets known later).
    void patch32(std::size_t pos, std::uint32_t v) { StoreLE32(m_data.data() + pos, v); }
    void patch16(std::size_t pos, std::uint16_t v) { StoreLE16(m_data.data() + pos, v); }
    void patchBytes(std::size_t pos, ByteSpan s) {
        std::memcpy(m_data.data() + pos, s.data(), s.size());
    }

    std::size_t size() const { return m_data.size(); }
    const std::vector<std::uint8_t>& data() const { return m_data; }
    std::vector<std::uint8_t> take() { return std::move(m_data); }

private:
    ByteWriter& raw(const std::uint8_t* p, std::size_t n) {
        m_data.insert(m_data.end(), p, p + n);
        return *this;
    }

    std::vector<std::uint8_t> m_data;
};

}  // namespace tessaly

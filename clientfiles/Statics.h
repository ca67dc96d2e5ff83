#pragma once
// Statics blocks ("staidx0.mul" slot 1 / "statics0.mul" slot 2). Block (bx, by) of the map is
// number bx * 512 + by; its index record says where its list of 7-byte static records lies.

#include "Bytes.h"

#include <cstdint>
#include <vector>

namespace tessaly {

class CClientFiles;
struct IndexRecord;

inline constexpr std::uint32_t kMapBlockRows = 512;
inline constexpr std::uint32_t kMapBlockCount = 393216;

// One static record, 7 bytes packed:
//   0 u16 item id   2 u8 x (0-7)   3 u8 y (0-7)   4 i8 z   5 u16 hue (carried unchanged)
struct CStaticItem {
    static constexpr std::size_t kSize = 7;

    std::uint16_t m_wTile = 0;
    std::uint8_t m_bX = 0;
    std::uint8_t m_bY = 0;
    std::int8_t m_cZ = 0;
    std::uint16_t m_wHue = 0;

    bool Read(ByteReader& in);
    void Write(ByteWriter& out) const;
};

// The records in bytes, in order; trailing bytes short of a record are ignored.
void ParseStaticItems(ByteSpan bytes, std::vector<CStaticItem>& items);
// The same, added after the items already held.
void AppendStaticItems(ByteSpan bytes, std::vector<CStaticItem>& items);

// The static records of one block, in file order.
class CStaticsList {
public:
    // Loads block b's records (patch records with file id 2 first). No record with data
    // leaves the list empty. Raises CTarnError (2, E_FAIL) "CTarnMapBlock: Read fStatics0"
    // when the data cannot be read (a stretch that runs past its file included).
    void LoadStatics(std::uint32_t block);
    void LoadStatics(std::uint32_t block, CClientFiles& files);
    // The same from a given index record (bit 31 of its length = in the patch file).
    void LoadRecord(const IndexRecord& record, CClientFiles& files);

    // Replaces the list with the records in bytes; trailing bytes short of a record are ignored.
    void Parse(ByteSpan bytes);

    std::uint32_t GetCount() const { return m_dwCount; }
    const CStaticItem& GetAt(std::uint32_t i) const { return m_Items.at(i); }
    const std::vector<CStaticItem>& Items() const { return m_Items; }

private:
    std::uint32_t m_dwCount = 0;  // 0 until loaded
    std::vector<CStaticItem> m_Items;
};

}  // namespace tessaly

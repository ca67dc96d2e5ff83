#pragma once
// Tile data groups of 32 records ("tiledata.mul"), and the page that shows one tile data
// record: of a group's entry, or of an item, terrain or texture entry's own tile.

#include "CDataDef.h"
#include "TileData.h"

#include <array>

namespace tessaly {

class CDataDefTileData : public CDataDef {
public:
    explicit CDataDefTileData(std::uint32_t nIndex) : CDataDef(nIndex) {}

    std::string GetListText() override;
    bool CopyData(EntryClip& /*clip*/) override { return true; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryTileData; }
    // A group that "tiledata.mul" holds, or one with a patch link.
    bool IsValid() override;
    bool ReadIndex() override;
    // Reads the group from the patch record's location (unless read), then links it.
    void SetVerData(CDataVerData* pVerData) override;
    void AddPages(std::vector<EntryPage>& pages) override;

    // Reads the group once: from a linked record of a patch file, else from "tiledata.mul".
    // False when it cannot be read.
    bool ReadBlock();
    // Record p (0-31) of the read group; false before the group is read.
    bool GetTerrainRecord(std::uint32_t p, CTileTerrainInfo& info) const;
    bool GetItemRecord(std::uint32_t p, CTileItemInfo& info) const;
    bool IsItemBlock() const { return GetIndex() >= kTerrainGroupCount; }

private:
    bool ReadFrom(const IndexRecord& record);

    // The group as read: a 4-byte header, then 32 records (terrain groups use the first
    // 32 * 26 bytes of the room).
    std::array<std::uint8_t, kItemGroupBytes> m_Block{};
    bool m_bRead = false;
};

}  // namespace tessaly

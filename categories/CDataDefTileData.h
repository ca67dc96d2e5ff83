#pragma once
// Tile data groups of 32 records ("tiledata.mul"): the entries of the TileData category.

#include "CDataDef.h"
#include "TileData.h"

#include <array>
#include <string>

namespace tessaly {

class CDataDefTileData : public CDataDef {
public:
    explicit CDataDefTileData(std::uint32_t nIndex, CClientFiles& files = TheClientFiles())
        : CDataDef(nIndex, files) {}

    std::string GetListText() override;
    bool CopyData(EntryClip& /*clip*/) override { return true; }
    bool CanCopy() override { return false; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryTileData; }
    // A group that "tiledata.mul" holds, or one with a patch link.
    bool IsValid() override;
    bool ReadIndex() override;
    // Reads the group from the patch record's location (unless read), then links it.
    void SetVerData(CDataVerData* pVerData) override;
    void AddPages(std::vector<EntryPage>& pages) override;

    // Reads the group once: from a linked record of a patch file, else from "tiledata.mul".
    // A patch record whose length does not fit the client's layout is not read: the base
    // file's group stands, and GetPatchNote says why. False when it cannot be read.
    bool ReadBlock();
    // Record p (0-31) of the read group, in the layout it was read in; false before the group
    // is read.
    bool GetTerrainRecord(std::uint32_t p, CTileTerrainInfo& info) const;
    bool GetItemRecord(std::uint32_t p, CTileItemInfo& info) const;
    bool IsItemBlock() const { return GetIndex() >= kTerrainGroupCount; }
    // Why the linked patch record was not read; empty when it was, or when there is none.
    const std::string& GetPatchNote() const { return m_sPatchNote; }

private:
    bool ReadFrom(const IndexRecord& record);
    // Reads the group from "tiledata.mul".
    bool ReadBase();

    // The group as read: a 4-byte header, then 32 records of the layout's size (the room fits
    // the largest group, of newer items).
    std::array<std::uint8_t, 4 + kTileGroupSize * CTileItemInfo::kNewerSize> m_Block{};
    TileDataShape m_Shape;
    std::string m_sPatchNote;
    bool m_bRead = false;
};

}  // namespace tessaly

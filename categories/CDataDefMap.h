#pragma once
// Map blocks ("map0.mul") and the page that lists a block's 64 terrain cells.

#include "CDataDef.h"
#include "CDataProps.h"

class QLabel;
class QListWidget;

namespace tessaly {

class CMapBlock;

class CDataDefMap : public CDataDef {
public:
    explicit CDataDefMap(std::uint32_t nIndex) : CDataDef(nIndex) {}

    std::string GetListText() override;
    bool CopyData() override { return true; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryMap; }
    bool IsValid() override;
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;

    // Reads the block: a linked record of a patch file, else through the patch table and
    // "map0.mul". Raises CTarnError when it cannot be read.
    void ReadBlock(CMapBlock& block);
};

class CDataPageMap : public CDataPage {
    Q_OBJECT

public:
    CDataPageMap();

    int LoadData() override;
    void MembersToControls() override;

    QListWidget* m_pList;  // 4017
    QLabel* m_pCoords;     // 4019

    QString m_sCoords;
};

}  // namespace tessaly

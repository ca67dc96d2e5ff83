#pragma once
// Statics blocks ("staidx0.mul"/"statics0.mul") and the page that lists a block's items.

#include "CDataDef.h"
#include "CDataProps.h"
#include "Statics.h"

class QLabel;
class QListWidget;

namespace tessaly {

class CDataDefStatics : public CDataDefIndex {
public:
    explicit CDataDefStatics(std::uint32_t nIndex) : CDataDefIndex(nIndex) {}

    // "unused" without data, else the number of items the block's length holds.
    std::string GetListText() override;
    bool CopyData() override { return true; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryStatics; }
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;

    // Loads the block's items while it holds none: from a linked record of a patch file, else
    // through the patch table and the base files. Raises CTarnError when they cannot be read.
    void LoadStatics();
    const CStaticsList& GetStatics() const { return m_Statics; }

private:
    CStaticsList m_Statics;
};

// "x=%d, y=%d": the top-left tile of map block b.
std::string MapBlockCoords(std::uint32_t block);

class CDataPageStatics : public CDataPage {
    Q_OBJECT

public:
    CDataPageStatics();

    int LoadData() override;
    void MembersToControls() override;

    QLabel* m_pCoords;     // 4018
    QLabel* m_pCount;      // 4036
    QListWidget* m_pList;  // 4020

    QString m_sCoords, m_sCount;
};

}  // namespace tessaly

#pragma once
// Item pictures (art entries 16384 on) and the "Item" page that draws them.

#include "ArtTypes.h"
#include "CDataDef.h"
#include "CDataPageDraw.h"

namespace tessaly {

class CDataDefItem : public CDataDefIndex {
public:
    explicit CDataDefItem(std::uint32_t nIndex) : CDataDefIndex(nIndex), m_Block(nIndex) {}

    std::string GetListText() override;
    bool GetImage(SurfaceBuffer& buffer) override;
    bool CopyData() override { return CopyImageToClipboard(); }
    // Exports the picture GetImage draws.
    ExportKind GetExportKind() override { return ExportKind::Picture; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryItems; }
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;

    CTileItemType& GetBlock() { return m_Block; }
    // The picture at its top-left corner, each side cut to its limit; what the draw answered.
    bool DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth, std::uint32_t maxHeight);

private:
    CTileItemType m_Block;
};

// "Item": the picture of an item, its size ("%d,%d") and two buttons without action.
class CDataPageItemDraw : public CDataPageDraw {
    Q_OBJECT

public:
    CDataPageItemDraw();
    bool DrawPicture(SurfaceBuffer& buffer, std::uint32_t maxWidth,
                     std::uint32_t maxHeight) override;

protected:
    bool Accepts(CDataDef* pEntry) override;
    QString SizeText() override;
};

}  // namespace tessaly

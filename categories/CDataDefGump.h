#pragma once
// Gumps ("gumpidx.mul"/"gumpart.mul") and the "Gump" page that draws them.

#include "CDataDefPicture.h"
#include "GumpType.h"

namespace tessaly {

class CDataDefGump : public CDataDefSizedPicture<CTileGumpType> {
public:
    explicit CDataDefGump(std::uint32_t nIndex, CClientFiles& files = TheClientFiles())
        : CDataDefSizedPicture(nIndex, EntryPage::GumpDraw, files) {}

    std::string GetListText() override;
    std::int32_t GetDataType() override { return kCategoryGumps; }
    void AddPages(std::vector<EntryPage>& pages) override;
    // The record's extra words carry height first, then width: the order gump index records are
    // read back in; EncodeGump makes transparent pixels gaps.
    const PictureRecordKind* GetRecordKind() const override;

protected:
    bool DrawBlock(CSurfaceDC& dc, std::uint16_t hue, bool partial) override;
    const char* SizeFormat() const override { return "%d, %d"; }
};

}  // namespace tessaly

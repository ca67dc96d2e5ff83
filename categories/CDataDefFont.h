#pragma once
// Fonts ("fonts.mul"): ten entries that only name themselves, and their blank "Font" page.

#include "CDataDef.h"
#include "CDataProps.h"

namespace tessaly {

class CPictureFrame;

class CDataDefFont : public CDataDef {
public:
    explicit CDataDefFont(std::uint32_t nIndex) : CDataDef(nIndex) {}

    std::string GetListText() override;
    bool CopyData() override { return true; }
    bool WriteVerData(CQFile& file, CUOVersionBlock& record) override;
    std::int32_t GetDataType() override { return kCategoryFonts; }
    bool IsValid() override;
    bool ReadIndex() override;
    bool AddPages(CDataProps* pSheet) override;
};

// "Font": a picture control that stays blank; fonts are not drawn.
class CDataPageFont : public CDataPage {
    Q_OBJECT

public:
    CDataPageFont();

    CPictureFrame* GetPicture() const { return m_pPicture; }

private:
    CPictureFrame* m_pPicture;  // 4085
};

}  // namespace tessaly

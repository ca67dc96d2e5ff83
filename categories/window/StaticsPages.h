#pragma once
// The "Statics" page: the items of a statics block.

#include "CDataDefStatics.h"
#include "CDataProps.h"

class QLabel;
class QListWidget;

namespace tessaly {

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

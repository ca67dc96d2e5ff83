#pragma once
// The "Map" page: the 64 terrain cells of a map block.

#include "CDataDefMap.h"
#include "CDataProps.h"

class QLabel;
class QListWidget;

namespace tessaly {

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

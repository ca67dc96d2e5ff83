#pragma once
// The "Unknown" page of entries no category shows.

#include "CDataDefJunk.h"
#include "CDataProps.h"

class QLineEdit;

namespace tessaly {

class CDataPageUnk : public CDataPage {
    Q_OBJECT

public:
    CDataPageUnk();
    int LoadData() override { return m_pEntry != nullptr ? 0 : 1; }

    QLineEdit* m_pEdit;  // 1034, never filled
};

}  // namespace tessaly

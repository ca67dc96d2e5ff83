#pragma once
// The "Unknown" page of entries no category shows.

#include "CDataDefJunk.h"
#include "CDataProps.h"

class QLabel;
class QLineEdit;

namespace tessaly {

class CDataPageUnk : public CDataPage {
    Q_OBJECT

public:
    CDataPageUnk();
    // Says what the entry is (the patch record it carries); 1 without an entry.
    int LoadData() override;

    QLineEdit* m_pEdit;  // 1034, never filled
    QLabel* m_pHolds;    // what the page stands for
};

// The line the "Unknown" page shows for an entry: the patch record it carries, or what such a
// page holds when the entry carries none.
std::string DescribeUnknownEntry(CDataDef& entry);

}  // namespace tessaly

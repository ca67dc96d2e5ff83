#pragma once
// The "VerData" page: the record of a patch file.

#include "CDataProps.h"
#include "CDataVerData.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace tessaly {

class CDataPageVerData : public CDataPage {
    Q_OBJECT

public:
    CDataPageVerData();

    int LoadData() override;
    int SaveData() override;
    void MembersToControls() override;
    void ControlsToMembers() override;

    // Controls, by their dialog ids.
    QComboBox* m_pType;   // 4010
    QLineEdit* m_pIndex;  // 4009
    QLabel* m_pSize;      // 4014
    QLabel* m_pPos;       // 4005
    QLabel* m_pLength;    // 4006
    QLineEdit* m_pMore1;  // 4012
    QLineEdit* m_pMore2;  // 4013

    // Members.
    int m_nType = 0;
    QString m_sIndex, m_sSize, m_sPos, m_sLength, m_sMore1, m_sMore2;
};

}  // namespace tessaly

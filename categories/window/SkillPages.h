#pragma once
// The "Skill" page of the Skills category.

#include "CDataDefSkill.h"
#include "CDataProps.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace tessaly {

class CDataPageSkill : public CDataPage {
    Q_OBJECT

public:
    CDataPageSkill();
    // Takes flag and name from the entry, which must be a skill.
    int LoadData() override;
    void MembersToControls() override;
    void ControlsToMembers() override;

    bool m_bHasButton = false;
    QString m_sName;
    QCheckBox* m_pHasButton;  // 4001
    QLineEdit* m_pName;       // 4002
    QLabel* m_pDamage;        // says a damaged record is one, hidden otherwise
};

}  // namespace tessaly

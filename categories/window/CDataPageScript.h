#pragma once
// The "Script" page that the Animations, Items, Multis and Skills sheets carry: a list box
// filling the page, left empty.

#include "CDataProps.h"

class QListWidget;

namespace tessaly {

class CDataPageScript : public CDataPage {
    Q_OBJECT

public:
    CDataPageScript();
    // Fits the list box into the page less a 5-pixel margin; refuses every category other
    // than Animations, Items, Skills and Multis.
    int LoadData() override;

    QListWidget* m_pList;  // 4000

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitList();
};

}  // namespace tessaly

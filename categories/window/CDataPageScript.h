#pragma once
// The "Script" page that the Animations, Items, Multis and Skills sheets carry: a list box
// filling the page, left empty; a line over it says what the list would hold.

#include "CDataProps.h"

class QLabel;
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
    // The line over the empty list that says what the list holds.
    QLabel* m_pEmpty;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitList();
};

}  // namespace tessaly

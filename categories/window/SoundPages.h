#pragma once
// The "Sound" page of the Sounds category.

#include "CDataDefSound.h"
#include "CDataProps.h"

class QLineEdit;

namespace tessaly {

class CDataPageSound : public CDataPage {
    Q_OBJECT

public:
    CDataPageSound();

    QLineEdit* m_pName;  // 1034, left empty: the page exchanges no data
};

}  // namespace tessaly

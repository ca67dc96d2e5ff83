#pragma once
// The thumbnail list: an empty scrollable area with a border and a vertical scroll bar. It never
// has a selection, so commands routed through it are not handled.

#include "CDataList.h"

#include <QAbstractScrollArea>

namespace tessaly {

class CDataListThumbs : public QAbstractScrollArea, public CDataList {
    Q_OBJECT

public:
    explicit CDataListThumbs(std::int32_t nCategory);

    CDataDef* GetSelected() override { return nullptr; }
    void FillList() override {}
    QWidget* GetWindow() override { return this; }
};

}  // namespace tessaly

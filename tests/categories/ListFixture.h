#pragma once
// A text list over the sample client and its "verdata.mul" records, shown in a parent widget
// without a view, with the status pane's text kept: the fixture of the suites that drive category
// lists.

#include "CDataAppState.h"
#include "CDataListCtrl.h"
#include "CDataProps.h"
#include "CDataVerData.h"
#include "QtTestSupport.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace tessaly::test {

// A view without a window: the document's records and the display options.
class ListHost : public CDataListHost {
public:
    CQObArray<CDataVerData*>* GetDocumentEntries() override { return &m_Records; }
    CQObArray<CDataVerData*> m_Records;
};

class SampleListTest : public SampleSheetTest {
protected:
    void SetUp() override {
        SampleSheetTest::SetUp();
        m_Host.m_Records.SetSize(TheVerDataTable().GetCount());
        for (std::int32_t i = 0; i < TheVerDataTable().GetCount(); ++i) {
            m_Host.m_Records[i] = new CDataVerData(TheVerDataTable().ElementAt(i));
        }
        m_Parent.resize(640, 400);
        DataAppState().m_SetMessageText = [this](const QString& text) { m_Status = text; };
    }
    void TearDown() override {
        m_pList.reset();
        SampleSheetTest::TearDown();
    }

    // Replaces the list with a new one of the category, filled and shown.
    CDataListCtrl* Show(std::int32_t category) {
        m_pList = std::make_unique<CDataListCtrl>(category);
        m_pList->Create(&m_Host, &m_Parent);
        m_pList->FillList();
        m_Parent.show();
        return m_pList.get();
    }
    QString Cell(int row, int column) const {
        return m_pList->GetModel()->index(row, column).data().toString();
    }
    // The row of the entry with that index, or -1.
    int RowOfIndex(std::uint32_t index) const {
        for (int r = 0; r < m_pList->GetModel()->rowCount(); ++r) {
            if (m_pList->GetModel()->GetEntry(r)->GetIndex() == index) {
                return r;
            }
        }
        return -1;
    }

    ListHost m_Host;
    QWidget m_Parent;
    std::unique_ptr<CDataListCtrl> m_pList;
    QString m_Status;  // the status pane's last text
};

}  // namespace tessaly::test

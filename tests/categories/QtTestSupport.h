#pragma once
// Shared by the GUI suites: the QApplication of the test process, the sample client written
// once per process, patch files built from its records, and comparing drawn pixels.

#include "CDataAppState.h"
#include "CDataDef.h"
#include "CDataProps.h"
#include "ClientFiles.h"
#include "EntryCommands.h"
#include "Patch.h"
#include "ScriptedUi.h"
#include "Surface.h"
#include "UopFile.h"
#include "VerDataTable.h"
#include "clientfiles/SampleClientFiles.h"
#include "core/TempDir.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessaly::test {

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "tessaly-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        // Settings written by the tests stay in the process's own directory.
        static TempDir config;
        setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
        return new QApplication(argc, argv);
    }();
    return *app;
}

// Opens the entry's sheet on its first page of type Page (and of that caption, when one is
// given), made active once the sheet shows; null when the sheet has no such page.
template <typename Page = CDataPage>
Page* ShowSheetPage(CDataDef& entry, const QString& caption = {}) {
    CDataProps* sheet = OpenProperties(entry);
    for (int i = 0; sheet != nullptr && i < sheet->GetPageCount(); ++i) {
        auto* page = dynamic_cast<Page*>(sheet->GetPage(i));
        if (page != nullptr && (caption.isEmpty() || page->windowTitle() == caption)) {
            sheet->SetActivePage(i);
            EXPECT_TRUE(QTest::qWaitForWindowExposed(sheet));
            return page;
        }
    }
    return nullptr;
}

// The records of a patch file, each with its data, in file order.
inline std::vector<mk::SamplePatch> ReadPatchRecords(const std::vector<std::uint8_t>& bytes) {
    std::vector<mk::SamplePatch> out;
    ByteReader in(bytes);
    std::uint32_t count = 0;
    if (!in.u32(count)) {
        return out;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        CUOVersionBlock r{};
        if (!r.Read(in)) {
            break;
        }
        mk::SamplePatch p;
        p.fileId = r.m_dwFileId;
        p.block = r.m_dwBlock;
        p.extra1 = r.m_wExtra1;
        p.extra2 = r.m_wExtra2;
        if (FitsIn(r.m_dwOffset, r.m_dwLength, bytes.size())) {
            p.data.assign(bytes.begin() + r.m_dwOffset,
                          bytes.begin() + r.m_dwOffset + r.m_dwLength);
        }
        out.push_back(std::move(p));
    }
    return out;
}

// The sample "verdata.mul" records whose file id passes the filter.
inline std::vector<mk::SamplePatch> SamplePatches(const std::function<bool(std::uint32_t)>& keep) {
    std::vector<mk::SamplePatch> out;
    for (mk::SamplePatch& p :
         ReadPatchRecords(TempDir::ReadFile(SampleClientDir().File("verdata.mul")))) {
        if (keep(p.fileId)) {
            out.push_back(std::move(p));
        }
    }
    return out;
}

// The sample client with its patch table, scripted dialogs and a ".pat" patch for the pages;
// the sheets are closed after each test.
class SampleSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(UsePatchTable());
        DataAppState().m_pUi = &m_Ui;
        DataAppState().m_pPatch = &m_Patch;
    }
    void TearDown() override {
        DataAppState().DestroyAllSheets();
        QApplication::processEvents();
        DataAppState().m_pUi = nullptr;
        DataAppState().m_pPatch = nullptr;
        DataAppState().m_FindDocument = nullptr;
        DataAppState().m_SetMessageText = nullptr;
        DataAppState().m_Told.clear();
    }
    // An entry kept until the test ends; of a category, with its index read.
    CDataDef* Keep(std::unique_ptr<CDataDef> entry) {
        m_Entries.push_back(std::move(entry));
        return m_Entries.back().get();
    }
    CDataDef* Entry(std::int32_t category, std::uint32_t index) {
        CDataDef* entry = Keep(std::unique_ptr<CDataDef>(CreateDataDef(category, index)));
        entry->ReadIndex();
        return entry;
    }
    QApplication& m_App = TestApp();  // before any widget
    TempDir m_Dir;
    ScriptedUi m_Ui;
    CPatch m_Patch;
    std::vector<std::unique_ptr<CDataDef>> m_Entries;
};

// Where the table entry of the entry named by hash lies in a container's bytes; 0 when none.
inline std::uint64_t UopTableEntryAt(const std::vector<std::uint8_t>& bytes, std::uint64_t hash) {
    const auto le64 = [&](std::uint64_t at) { return LoadLE64(bytes.data() + at); };
    for (std::uint64_t table = le64(12); table != 0; table = le64(table + 4)) {
        for (std::uint32_t i = 0; i < LoadLE32(bytes.data() + table); ++i) {
            const std::uint64_t at = table + kUopTableHeaderSize + i * kUopEntrySize;
            if (le64(at + 20) == hash) {
                return at;
            }
        }
    }
    return 0;
}

// An entry of a fixed list text and type, counting how often the text is made; m_bThrow makes
// it fail as an out-of-range index into one of our own arrays would.
class TextEntry : public CDataDef {
public:
    TextEntry(std::uint32_t index, std::string text, std::int32_t type = kCategoryItems)
        : CDataDef(index), m_sText(std::move(text)), m_nType(type) {}
    std::string GetListText() override {
        ++m_nCalls;
        return m_bThrow ? std::vector<std::string>().at(3) : m_sText;
    }
    bool WriteVerData(CQFile&, CUOVersionBlock&) override { return false; }
    std::int32_t GetDataType() override { return m_nType; }
    bool IsValid() override { return true; }
    bool ReadIndex() override { return false; }
    void AddPages(std::vector<EntryPage>& /*pages*/) override {}

    std::string m_sText;
    std::int32_t m_nType;
    int m_nCalls = 0;
    bool m_bThrow = false;
};

// Expects two pictures of the same size with the same pixels.
inline void ExpectSamePixels(const SurfaceBuffer& got, const SurfaceBuffer& want) {
    ASSERT_NE(got.GetData(), nullptr);
    ASSERT_EQ(got.GetWidth(), want.GetWidth());
    ASSERT_EQ(got.GetHeight(), want.GetHeight());
    int differing = 0;
    for (std::uint32_t y = 0; y < want.GetHeight(); ++y) {
        for (std::uint32_t x = 0; x < want.GetWidth(); ++x) {
            const auto px = static_cast<std::int32_t>(x), py = static_cast<std::int32_t>(y);
            differing += got.GetPixel(px, py) != want.GetPixel(px, py);
        }
    }
    EXPECT_EQ(differing, 0);
}

}  // namespace tessaly::test

// Entries without windows: the category table, column texts and change marks, patch records
// and their targets, junk entries carrying their bytes through a save.

#include "CDataDef.h"
#include "CDataDefJunk.h"
#include "CDataVerData.h"
#include "DataTypeDef.h"
#include "EventLog.h"
#include "QtTestSupport.h"
#include "TarnError.h"
#include "VerDataTable.h"
#include "core/CapturedLog.h"
#include "core/Raised.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <utility>
#include <vector>

namespace tessaly {
namespace {

using test::TempDir;

// An entry with a fixed list text.
class TextEntry : public CDataDef {
public:
    TextEntry(std::uint32_t index, std::string text) : CDataDef(index), m_sText(std::move(text)) {}
    std::string GetListText() override {
        ++m_nCalls;
        if (m_bThrow) {
            // As an out-of-range index into one of our own arrays would.
            return std::vector<std::string>().at(3);
        }
        return m_sText;
    }
    bool WriteVerData(CQFile&, CUOVersionBlock&) override { return false; }
    std::int32_t GetDataType() override { return 31204; }
    bool IsValid() override { return true; }
    bool ReadIndex() override { return false; }
    bool AddPages(CDataProps*) override { return false; }

    std::string m_sText;
    int m_nCalls = 0;
    bool m_bThrow = false;
};

CUOVersionBlock Record(std::uint32_t file, std::uint32_t block, std::uint32_t offset = 0x40,
                       std::uint32_t length = 10, std::uint16_t e1 = 0, std::uint16_t e2 = 0) {
    return CUOVersionBlock{file, block, offset, length, e1, e2};
}

TEST(CategoryTable, LooksUpRecordsNamesAndColumns) {
    EXPECT_EQ(GetCategoryOfRecord(4, 16384), 31204);
    EXPECT_EQ(GetCategoryOfRecord(4, 16383), 31203);
    EXPECT_EQ(GetCategoryOfRecord(32, 1), 31210);
    EXPECT_EQ(GetCategoryOfRecord(22, 0), 31200);
    EXPECT_EQ(GetCategoryOfRecord(31, 3), 0);
    EXPECT_EQ(GetCategoryOfRecord(0xFFFFFFFFu, 3), 0);

    EXPECT_EQ(FindCategory("items"), 31204);
    EXPECT_EQ(FindCategory("ANIMS"), 31201);
    EXPECT_EQ(FindCategory("Animations"), 31201);
    EXPECT_EQ(FindCategory("terrains"), 31203);
    EXPECT_EQ(FindCategory("31213"), 31213);
    EXPECT_EQ(FindCategory("31215"), 0);
    EXPECT_EQ(FindCategory("312040"), 0);
    EXPECT_EQ(FindCategory(""), 0);

    EXPECT_EQ(GetTypeDef(31199), nullptr);
    EXPECT_EQ(GetTypeDef(31215), nullptr);
    EXPECT_EQ(GetTypeDef(31200)->ColumnCount(), 5);
    EXPECT_STREQ(GetTypeDef(31213)->m_pColumns[0].m_pszTitle, "Length");
    EXPECT_EQ(GetTypeDef(31207)->m_nMaxEntries, 65534u);
}

TEST(CategoryTable, FactoryMakesTheClassOfEveryCategory) {
    for (std::int32_t id = 31201; id <= 31214; ++id) {
        std::unique_ptr<CDataDef> entry(CreateDataDef(id, 3));
        EXPECT_EQ(entry->GetDataType(), id);
        EXPECT_EQ(entry->GetIndex(), 3u);
    }
    for (std::int32_t id : {0, 31200, 31215, -1}) {
        std::unique_ptr<CDataDef> entry(CreateDataDef(id, 1));
        ASSERT_NE(dynamic_cast<CDataDefJunk*>(entry.get()), nullptr) << id;
        EXPECT_EQ(entry->GetDataType(), 31200);
        EXPECT_STREQ(entry->GetColumnText(0), "Junk");
    }
}

TEST(CategoryTable, ListsHoldEveryRecordOfTheirIndexAndAtLeastTheTablesMaximum) {
    test::TempDir dir;
    dir.Write("multi.idx", std::vector<std::uint8_t>(8480 * IndexRecord::kSize, 0xFF));
    dir.Write("artidx.mul", std::vector<std::uint8_t>((kArtItemBase + 40000) * 12, 0xFF));
    dir.Write("soundidx.mul", std::vector<std::uint8_t>(100 * 12, 0xFF));
    CVerDataTable table;
    CClientFiles files(&table);
    files.SetChosenDir(dir.Path().string());
    auto count = [&](std::int32_t id) { return GetEntryCount(*GetTypeDef(id), files); };
    EXPECT_EQ(count(kCategoryMultis), 8480u);
    EXPECT_EQ(count(kCategoryItems), 40000u);
    EXPECT_EQ(count(kCategoryTerrain), kArtItemBase);  // the rest of the art index is items
    EXPECT_EQ(count(kCategorySounds), 768u);           // a short index: the table's maximum
    EXPECT_EQ(count(kCategoryLights), 32u);            // no index file at all
    EXPECT_EQ(count(kCategoryHues), 3000u);
}

TEST(ColumnText, SplitsOnceIntoAtMostSevenFields) {
    const std::pair<const char*, std::vector<const char*>> cases[] = {
        {"a\tb\t\tc", {"a", "b", "", "c"}},
        {"single", {"single"}},
        {"1\t2\t3\t4\t5\t6\t7\t8\t9", {"1", "2", "3", "4", "5", "6", "7"}},
        {"", {}},
    };
    for (const auto& [text, fields] : cases) {
        SCOPED_TRACE(text);
        TextEntry entry(1, text);
        EXPECT_EQ(entry.GetColumnText(-2), nullptr);
        for (std::size_t column = 0; column < 8; ++column) {
            const char* shown = entry.GetColumnText(static_cast<int>(column));
            if (column < fields.size()) {
                EXPECT_STREQ(shown, fields[column]) << column;
            } else {
                EXPECT_EQ(shown, nullptr) << column;
            }
        }
        // The text is made once (an empty one is asked for again).
        EXPECT_EQ(entry.m_nCalls == 1, !fields.empty());
    }
}

TEST(ColumnText, AFaultInTheListTextGivesAnEmptyRowAndOneLogLine) {
    test::CapturedLog log;
    TextEntry entry(1, "x");
    entry.m_bThrow = true;
    EXPECT_EQ(entry.GetColumnText(0), nullptr);
    ASSERT_EQ(log.m_Lines.size(), 1u);
    EXPECT_EQ(log.m_Lines[0].rfind("tessaly: making a list row: ", 0), 0u) << log.m_Lines[0];
}

TEST(ColumnText, ChangeMarkFollowsThePatchLink) {
    TextEntry entry(1, "x");
    EXPECT_STREQ(entry.GetColumnText(-1), " ");
    CDataVerData fromFile(Record(4, 16385));
    entry.LinkVerData(&fromFile);
    EXPECT_STREQ(entry.GetColumnText(-1), "*");
    CDataVerData inMemory(7, new TextEntry(7, "y"));
    entry.LinkVerData(&inMemory);
    EXPECT_STREQ(entry.GetColumnText(-1), "+");
    EXPECT_EQ(inMemory.GetListText(), "Mem Change");
}

TEST(VerDataEntry, KeyAndTargetOfArtRecords) {
    CDataVerData item(Record(4, 0x4001, 0x80, 20, 44, 48));
    EXPECT_EQ(item.GetIndex(), 0x10004001u);
    EXPECT_EQ(item.GetTargetType(), 31204);
    CDataDef* target = item.GetTarget();
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->GetDataType(), 31204);
    EXPECT_EQ(target->GetIndex(), 1u);
    EXPECT_EQ(target->GetVerData(), &item);
    auto* indexed = dynamic_cast<CDataDefIndex*>(target);
    ASSERT_NE(indexed, nullptr);
    EXPECT_EQ(indexed->GetIndexRecord().m_dwOffset, 0x80u);
    EXPECT_EQ(indexed->GetIndexRecord().m_dwLength, 20u | 0x80000000u);
    EXPECT_EQ(indexed->GetIndexRecord().m_wExtra1, 44);
    EXPECT_TRUE(target->IsValid());

    CDataVerData terrain(Record(4, 0x3FFF));
    ASSERT_NE(terrain.GetTarget(), nullptr);
    EXPECT_EQ(terrain.GetTarget()->GetDataType(), 31203);
    EXPECT_EQ(terrain.GetTarget()->GetIndex(), 0x3FFFu);

    CDataVerData unknown(Record(31, 3));
    EXPECT_EQ(unknown.GetTargetType(), 0);
    EXPECT_NE(dynamic_cast<CDataDefJunk*>(unknown.GetTarget()), nullptr);

    CDataVerData change(5, nullptr);
    EXPECT_FALSE(change.MakeTarget());
    EXPECT_EQ(change.GetTargetType(), 0);
}

TEST(VerDataEntry, ListTextsAndFileNames) {
    CDataVerData full(Record(4, 0x4001, 0x1c, 300, 0x2c, 0x30));
    EXPECT_EQ(full.GetListText(), "art.mul\t04001\t01c\t300\t02c,030");
    CDataVerData deleted(Record(4, 0x10, 0x1c, 0));
    EXPECT_EQ(deleted.GetListText(), "art.mul\t010\tdelete");
    EXPECT_STREQ(deleted.GetColumnText(2), "delete");
    EXPECT_EQ(deleted.GetColumnText(3), nullptr);

    EXPECT_EQ(FileIdName(33), "?Unk021");
    EXPECT_EQ(FileIdName(18), "?fonts.mul");
    EXPECT_EQ(FileIdName(22), "?verdata.mul");
    EXPECT_EQ(FileIdName(23), "??Unk017");
    EXPECT_EQ(FileIdName(31), "animdata.mul");
    EXPECT_EQ(FileIdName(0xFFFFFFFFu), "?Unk0ffffffff");

    EXPECT_EQ(VerDataSizeText(22), "Variable Amount");
    EXPECT_EQ(VerDataSizeText(4), "Max Blocks 32768");
    EXPECT_EQ(VerDataSizeText(32), "Max Blocks 3000");
    EXPECT_EQ(VerDataSizeText(31), "Not Valid");
}

TEST(IndexEntry, ValidOnlyWithDataOrAPatchLink) {
    test::TestApp();
    test::UseSampleClient();
    // Gump slots past the sample's last gump have no index record.
    std::unique_ptr<CDataDef> gump(CreateDataDef(31207, 65533));
    gump->ReadIndex();
    EXPECT_FALSE(gump->IsValid());
    EXPECT_STREQ(gump->GetColumnText(0), "unused");
    CDataVerData record(Record(12, 65533));
    gump->LinkVerData(&record);
    EXPECT_TRUE(gump->IsValid());
    gump->LinkVerData(nullptr);
}

// A patch file holding one "animdata.mul" record and, after it, one whose length runs past the
// end of the file.
class JunkEntry : public ::testing::Test {
protected:
    void SetUp() override {
        test::TestApp();
        ByteWriter w;
        w.u32(2);
        CUOVersionBlock good = Record(31, 3, 44, 6, 0x1234, 0x5678);
        CUOVersionBlock bad = Record(31, 4, 44, 0x7FFFFF00, 0, 0);
        good.Write(w);
        bad.Write(w);
        w.bytes(std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6});
        m_sPatch = m_Dir.Write("verdata.mul", w.data());
        test::UseSampleClient(m_sPatch);
        m_Good = std::make_unique<CDataVerData>(good);
        m_Bad = std::make_unique<CDataVerData>(bad);
        ASSERT_TRUE(
            m_Out.Open(m_Dir.File("out.bin").c_str(), CQFile::modeCreate | CQFile::modeReadWrite));
    }

    TempDir m_Dir;
    std::string m_sPatch;
    std::unique_ptr<CDataVerData> m_Good, m_Bad;
    CQFile m_Out;
    CUOVersionBlock m_Record{};
};

TEST_F(JunkEntry, WritesItsBlockAndRecordUnchanged) {
    ASSERT_TRUE(m_Good->WriteVerData(m_Out, m_Record));
    m_Out.Close();
    EXPECT_EQ(std::tuple(m_Record.m_dwFileId, m_Record.m_dwBlock, m_Record.m_dwLength,
                         m_Record.m_wExtra1, m_Record.m_wExtra2),
              std::tuple(31u, 3u, 6u, 0x1234, 0x5678));
    EXPECT_EQ(m_Dir.Read("out.bin"), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
}

TEST_F(JunkEntry, ALengthPastTheFileRaisesWithoutAllocating) {
    EXPECT_EQ(test::RaisedBy([&] { m_Bad->WriteVerData(m_Out, m_Record); }),
              (test::Raised{2, kE_FAIL, "CDataDefJunk: Read"}));
    // Without a patch link there is nothing to write.
    CDataDefJunk orphan(5);
    EXPECT_FALSE(orphan.WriteVerData(m_Out, m_Record));
}

}  // namespace
}  // namespace tessaly

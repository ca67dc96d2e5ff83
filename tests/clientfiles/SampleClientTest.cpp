// The sample client's base files read back through the data layer.

#include "ClientFiles.h"
#include "RadarColors.h"
#include "SampleClient.h"
#include "SampleItems.h"
#include "Statics.h"
#include "TempDir.h"
#include "TileData.h"
#include "VerDataTable.h"

#include <gtest/gtest.h>

#include <set>

namespace tessaly {
namespace {

using test::TempDir;

class SampleClientTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new TempDir;
        mk::WriteSampleClient(s_dir->Path(), false);
    }
    static void TearDownTestSuite() {
        delete s_dir;
        s_dir = nullptr;
    }
    SampleClientTest() {
        m_files.SetChosenDir(s_dir->Path().string());
        if (m_files.OpenSlot(kSlotVerData)) {
            m_table.Load(m_files.GetFile(kSlotVerData));
        }
    }

    static TempDir* s_dir;
    CVerDataTable m_table;
    CClientFiles m_files{&m_table};
};

TempDir* SampleClientTest::s_dir = nullptr;

TEST_F(SampleClientTest, PatchTableHoldsTheBaseFilePatches) {
    std::set<std::uint32_t> ids;
    bool deleted = false;
    for (const CUOVersionBlock& r : m_table) {
        ids.insert(r.m_dwFileId);
        deleted = deleted || r.m_dwLength == 0;
    }
    for (std::uint32_t id : {2u, 16u, 30u, 31u}) {
        EXPECT_TRUE(ids.count(id)) << id;
    }
    EXPECT_TRUE(deleted);
}

TEST_F(SampleClientTest, TileDataNamesAndFlagsComeFromTheSampleTable) {
    for (const mk::SampleItem& sample : mk::kSampleItems) {
        CTileItemInfo info;
        info.ReadInfo(sample.id, m_files);
        if (sample.id == 0x0E3C) {
            EXPECT_EQ(info.GetName(), "patched crate");
            continue;
        }
        EXPECT_EQ(info.GetName(), std::string(sample.name).substr(0, 20)) << sample.id;
        EXPECT_EQ(info.m_dwFlags, sample.flags) << sample.id;
        EXPECT_EQ(info.m_bHeight, sample.height) << sample.id;
        EXPECT_NE(GetRadarColor(static_cast<std::uint16_t>(sample.id + 16384), m_files), 0);
    }
    for (const mk::SampleTerrain& sample : mk::kSampleTerrain) {
        CTileTerrainInfo info;
        info.ReadInfo(sample.id, m_files);
        EXPECT_EQ(info.GetName(), sample.name);
        EXPECT_EQ(info.m_dwFlags, sample.flags);
    }
    CTileItemInfo blank;
    blank.ReadInfo(0x3FFF, m_files);
    EXPECT_EQ(blank.GetName(), "");
}

TEST_F(SampleClientTest, StaticsBlocksAndTheirPatches) {
    CStaticsList house;
    house.LoadStatics(512, m_files);  // patched: two more items than the base block
    IndexRecord record;
    ASSERT_TRUE(m_files.ReadIndexRecord(kSlotStaIdx0, kFileSlotCount, 512, record));
    EXPECT_EQ(house.GetCount(), record.GetLength() / 7 + 2);
    for (const CStaticItem& s : house.Items()) {
        EXPECT_LT(s.m_bX, 8);
        EXPECT_LT(s.m_bY, 8);
    }
    CStaticsList ragged;
    ragged.LoadStatics(3, m_files);
    EXPECT_EQ(ragged.GetCount(), 3u);
    CStaticsList deleted;
    deleted.LoadStatics(514, m_files);
    EXPECT_EQ(deleted.GetCount(), 0u);
    CStaticsList first;
    first.LoadStatics(0, m_files);
    EXPECT_EQ(first.GetCount(), 2u);
}

TEST_F(SampleClientTest, SkillsIndexHasEverySpreadOfEntry) {
    IndexRecord record;
    ASSERT_TRUE(m_files.ReadIndexRecord(kSlotSkillsIdx, kFileSlotCount, 0, record));
    EXPECT_EQ(record.m_dwOffset, 0u);
    EXPECT_FALSE(m_files.ReadIndexRecord(kSlotSkillsIdx, kFileSlotCount, 6, record));   // absent
    EXPECT_FALSE(m_files.ReadIndexRecord(kSlotSkillsIdx, kFileSlotCount, 20, record));  // empty
    ASSERT_TRUE(m_files.ReadIndexRecord(kSlotSkillsIdx, kSlotSkills, 6, record));       // patched
    EXPECT_TRUE(record.IsPatch());
    std::vector<std::uint8_t> skill(record.GetLength());
    ASSERT_TRUE(m_files.ReadData(kSlotSkills, record, skill));
    EXPECT_EQ(skill[0], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&skill[1])), "Begging (patched)");
}

TEST_F(SampleClientTest, OutputIsDeterministic) {
    TempDir again;
    mk::WriteSampleClient(again.Path(), false);
    for (const char* name :
         {"tiledata.mul", "map0.mul", "staidx0.mul", "statics0.mul", "radarcol.mul", "skills.idx",
          "skills.mul", "animdata.mul", "verdata.mul"}) {
        EXPECT_EQ(again.Read(name), s_dir->Read(name)) << name;
    }
}

}  // namespace
}  // namespace tessaly

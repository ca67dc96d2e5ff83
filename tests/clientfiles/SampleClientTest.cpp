// The sample client's base files read back through the data layer.

#include "Builders.h"
#include "RadarColors.h"
#include "SampleClient.h"
#include "SampleItems.h"
#include "TileData.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using SampleClientTest = test::ClientDirTest;

// The sample client's tile data and radar colours are those of its table; the crate's name is
// patched.
TEST_F(SampleClientTest, TileDataNamesAndFlagsComeFromTheSampleTable) {
    mk::WriteSampleClient(m_dir.Path(), false);
    UsePatch(m_dir.Read("verdata.mul"));
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

}  // namespace
}  // namespace tessaly

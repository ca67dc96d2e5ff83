// A damaged client opened as the application opens one: every category list is shown, its
// rows asked for their texts, a few entries copied and their property sheets opened page by page
// and drawn, the thumbnails drawn. Files cut short, index records pointing past the end, flipped
// bytes and broken patch tables must leave entries empty, never crash or let an exception out.

#include "CAppBase.h"
#include "CBrindleView.h"
#include "CDataListCtrl.h"
#include "CDataProps.h"
#include "CMainFrame.h"
#include "MainWindowSupport.h"
#include "ResourceIds.h"
#include "ScriptedUi.h"
#include "categories/QtTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// One way of damaging a copy of the sample client.
struct Damage {
    std::string name;
    std::function<void(const fs::path& dir)> apply;
};

// Test names and messages show a damage by its name.
void PrintTo(const Damage& damage, std::ostream* out) {
    *out << damage.name;
}

std::vector<std::uint8_t> Read(const fs::path& file) {
    return TempDir::ReadFile(file.string());
}

void Write(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4 && at + i < bytes.size(); ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// The three groups of named files: index files, the patch file and the data files.
enum class Group { Index, Patch, Data };

Group GroupOf(std::int32_t slot) {
    switch (slot) {
        case kSlotStaIdx0:
        case kSlotArtIdx:
        case kSlotAnimIdx:
        case kSlotSoundIdx:
        case kSlotTexIdx:
        case kSlotGumpIdx:
        case kSlotMultiIdx:
        case kSlotSkillsIdx:
        case kSlotLightIdx:
            return Group::Index;
        case kSlotVerData:
            return Group::Patch;
        default:
            return Group::Data;
    }
}

// Applies f to the bytes of every named file of a group and writes them back.
void ForEachFile(const fs::path& dir, Group group,
                 const std::function<void(std::vector<std::uint8_t>&)>& f) {
    for (std::int32_t slot = 0; slot < kFileSlotCount; ++slot) {
        const char* name = CClientFiles::GetFileName(slot);
        if (name != nullptr && GroupOf(slot) == group) {
            std::vector<std::uint8_t> bytes = Read(dir / name);
            f(bytes);
            Write(dir / name, bytes);
        }
    }
}

// The damages. Each group of files is damaged at once, the others left whole, so that index
// records meet cut data files and whole data files meet cut index files.
std::vector<Damage> Damages() {
    std::vector<Damage> out;
    for (auto [group, name] : {std::pair{Group::Index, "index"}, std::pair{Group::Patch, "verdata"},
                               std::pair{Group::Data, "data"}}) {
        for (int cut : {0, 3, 50}) {
            out.push_back(
                {std::string(name) + "_files_cut" + (cut == 50 ? "_half" : std::to_string(cut)),
                 [=](const fs::path& dir) {
                     ForEachFile(dir, group, [=](std::vector<std::uint8_t>& bytes) {
                         bytes.resize(cut == 50 ? bytes.size() / 2 : cut);
                     });
                 }});
        }
    }
    // Index records with data get, in turn, an offset past the end, a huge length, a stretch
    // whose end wraps past 2^32, and a patch file offset past that file's end.
    out.push_back({"index_records_past_end", [](const fs::path& dir) {
                       ForEachFile(dir, Group::Index, [](std::vector<std::uint8_t>& bytes) {
                           const std::uint32_t kinds[4][2] = {{0x7FFFFF00u, 64},
                                                              {0, 0x7FFFFFF0u},
                                                              {0xFFFFFFF0u, 0x20},
                                                              {0x00FFFFF0u, 0x80001000u}};
                           for (std::size_t at = 0, n = 0; at + 12 <= bytes.size(); at += 12) {
                               if (bytes[at] != 0xFF || bytes[at + 3] != 0xFF) {
                                   PutU32(bytes, at, kinds[n % 4][0]);
                                   PutU32(bytes, at + 4, kinds[n++ % 4][1]);
                               }
                           }
                       });
                   }});
    // The extra words (picture sizes of gumps, textures and lights) at their largest.
    out.push_back({"index_extra_huge", [](const fs::path& dir) {
                       ForEachFile(dir, Group::Index, [](std::vector<std::uint8_t>& bytes) {
                           for (std::size_t at = 0; at + 12 <= bytes.size(); at += 12) {
                               PutU32(bytes, at + 8, 0xFFFFFFFFu);
                           }
                       });
                   }});
    // Random bits flipped in every file, the same ones on every run.
    for (unsigned seed : {1u, 2u}) {
        out.push_back({"flips_seed" + std::to_string(seed), [=](const fs::path& dir) {
                           std::mt19937 random(seed);
                           for (Group group : {Group::Index, Group::Patch, Group::Data}) {
                               ForEachFile(dir, group, [&](std::vector<std::uint8_t>& bytes) {
                                   for (std::size_t n = 0;
                                        !bytes.empty() && n < 16 + bytes.size() / 64; ++n) {
                                       bytes[random() % bytes.size()] ^=
                                           static_cast<std::uint8_t>(1u << (random() % 8));
                                   }
                               });
                           }
                       }});
    }
    // The patch table: a huge count; records whose data lies past the end, is huge, or runs
    // over the end.
    out.push_back({"verdata_huge_count", [](const fs::path& dir) {
                       ForEachFile(dir, Group::Patch, [](std::vector<std::uint8_t>& bytes) {
                           PutU32(bytes, 0, 0xFFFFFFF0u);
                       });
                   }});
    out.push_back({"verdata_records_past_end", [](const fs::path& dir) {
                       ForEachFile(dir, Group::Patch, [](std::vector<std::uint8_t>& bytes) {
                           const std::uint32_t end = static_cast<std::uint32_t>(bytes.size());
                           const std::uint32_t kinds[3][2] = {
                               {0xFFFFFF00u, 0x100u}, {0x10u, 0x7FFFFFFFu}, {end - 0x10u, 0x1000u}};
                           const std::uint32_t count = bytes[0] | bytes[1] << 8;
                           for (std::uint32_t i = 0; i < count; ++i) {
                               PutU32(bytes, 4 + 20 * i + 8, kinds[i % 3][0]);
                               PutU32(bytes, 4 + 20 * i + 12, kinds[i % 3][1]);
                           }
                       });
                   }});
    return out;
}

class DamagedClientTest : public test::MainWindowTest,
                          public ::testing::WithParamInterface<Damage> {
protected:
    void SetUp() override {
        test::TestApp();
        const fs::path& sample = test::SampleClientDir().Path();
        for (const auto& entry : fs::directory_iterator(sample)) {
            fs::copy_file(entry.path(), m_Dir.Path() / entry.path().filename());
        }
        GetParam().apply(m_Dir.Path());

        test::UseClient(m_Dir.Path());
        MakeWindow();  // pages of unreadable entries may say so; the dialogs are scripted
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        TheClientFiles().CloseAll();
        TheVerDataTable().RemoveAll();
    }

    // Copies a row's entry, opens its sheet and activates and draws each of its pages, then closes
    // it.
    void OpenSheet(CDataListCtrl* list, int row) {
        list->SelectPosition(row);
        m_pFrame->RouteCommand(ids::ID_EDIT_COPY);
        m_pFrame->RouteCommand(ids::ID_EDIT_PROPERTIES);
        for (CDataProps* sheet : std::vector<CDataProps*>(m_pApp->GetDataState().m_Sheets)) {
            for (int page = 0; page < sheet->GetPageCount(); ++page) {
                sheet->SetActivePage(page);
                sheet->grab();
            }
        }
        m_pApp->GetDataState().DestroyAllSheets();
    }

    TempDir m_Dir;
};

TEST_P(DamagedClientTest, EveryListAndSomeSheetsShowWithoutFault) {
    ASSERT_NE(m_pApp->OnFileNew(), nullptr);
    for (const DataTypeDef& def : GetTypeDefs()) {
        const int category = def.m_nId;
        m_pFrame->RouteCommand(category);
        CDataListCtrl* list = ActiveList();
        ASSERT_NE(list, nullptr) << category;
        const CDataListModel* model = list->GetModel();
        // Damage can turn many slots into entries; the rows a window shows at once suffice.
        const int rows = std::min(model->rowCount(), 400);
        for (int row = 0; row < rows; ++row) {
            for (int column = 0; column < model->columnCount(); ++column) {
                model->index(row, column).data();
            }
        }
        if (rows > 0) {
            for (int row : {0, rows / 2, rows - 1}) {
                OpenSheet(list, row);
            }
        }
        if (m_pFrame->QueryCommand(ids::ID_VIEW_THUMBNAIL).m_bEnabled) {
            m_pFrame->RouteCommand(ids::ID_VIEW_THUMBNAIL);
            m_pFrame->GetActiveView()->grab();
            m_pFrame->RouteCommand(ids::ID_VIEW_TEXTLIST);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedClientTest, ::testing::ValuesIn(Damages()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tessaly

// Fuzzes the entries made from a patch file: the input is the patch file in slot 22; every
// record becomes an entry whose list text, target and save write are exercised, and the records
// are attached to the lists of every category (without base entries, so only patched slots
// get entries).

#include "CDataEntries.h"
#include "CDataVerData.h"
#include "ClientFiles.h"
#include "DataTypeDef.h"
#include "TarnError.h"
#include "VerDataTable.h"
#include "clientfiles_scratch.h"

#include <cstdint>
#include <memory>

namespace {

using namespace tessaly;

class Host : public CEntrySource {
public:
    CQObArray<CDataVerData*>* GetDocumentEntries() override { return &m_Records; }
    CQObArray<CDataVerData*> m_Records;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::WriteScratch("verdata.mul", data, size);
    CClientFiles& files = TheClientFiles();
    files.CloseAll();
    files.SetChosenDir(fuzz::ScratchDir());
    CVerDataTable& table = TheVerDataTable();
    table.RemoveAll();
    try {
        if (files.OpenSlot(kSlotVerData)) {
            table.Load(files.GetFile(kSlotVerData));
        }
    } catch (const CTarnError&) {
        return 0;
    }
    Host host;
    host.m_bShowMulFiles = 0;
    host.m_bShowUnused = 1;
    host.m_Records.SetSize(table.GetCount());
    for (std::int32_t i = 0; i < table.GetCount(); ++i) {
        host.m_Records[i] = new CDataVerData(table.ElementAt(i));
    }
    CQFile out;
    std::string outPath = fuzz::ScratchDir() + "/out.mul";
    if (!out.Open(outPath.c_str(), CQFile::modeCreate | CQFile::modeReadWrite)) {
        return 0;
    }
    for (CDataVerData* record : host.m_Records) {
        for (int c = -1; c <= CDataDef::kMaxColumns; ++c) {
            record->GetColumnText(c);
        }
        if (CDataDef* target = record->GetTarget()) {
            target->IsValid();
            target->GetColumnText(0);
            CUOVersionBlock written{};
            try {
                record->WriteVerData(out, written);
            } catch (const CTarnError&) {
                // An unreadable block ends a save; nothing else.
            }
        }
    }
    // Only the categories that some record patches: the others would just list nothing.
    for (std::int32_t id = kFirstCategory + 1; id < kFirstCategory + kCategoryCount; ++id) {
        const auto dataFile = static_cast<std::uint32_t>(GetTypeDef(id)->m_nDataFile);
        bool patched = false;
        for (CDataVerData* record : host.m_Records) {
            patched = patched || record->GetRecord()->m_dwFileId == dataFile;
        }
        if (!patched) {
            continue;
        }
        CDataEntries list(id, &host);
        for (CDataDef* entry : list.CollectRows()) {
            entry->GetColumnText(0);
        }
    }
    return 0;
}

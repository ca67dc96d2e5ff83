// Fuzzes the conversion of client files: the input is written as the gump and map containers,
// and split in two as "artidx.mul" and "art.mul"; each kind is then written in the other form
// into an output folder, which is abandoned. Damage must end in one COutputError, never in a
// crash or a read past what the input holds.

#include "ClientFiles.h"
#include "ClientWriter.h"
#include "OutputFolder.h"
#include "UopFile.h"
#include "VerDataTable.h"
#include "clientfiles_scratch.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    for (std::int32_t slot : {kSlotGumpArt, kSlotMap0}) {
        fuzz::WriteScratch(FindUopKind(slot)->fileName, data, size);
    }
    const std::size_t split = fuzz::SplitPoint(data, size);
    fuzz::WriteScratch("artidx.mul", data, split);
    fuzz::WriteScratch("art.mul", data + split, size - split);
    CVerDataTable table;
    CClientFiles files(&table);
    files.SetChosenDir(fuzz::ScratchDir());
    const std::pair<EntryFileKind, ClientForm> kinds[] = {
        {EntryFileKind::Gumps, ClientForm::MulPair},
        {EntryFileKind::Map, ClientForm::MulPair},
        {EntryFileKind::Art, ClientForm::Container},
    };
    for (const auto& [kind, form] : kinds) {
        try {
            COutputFolder out(fuzz::ScratchDir() + "/out", false);
            EntryFileOptions options;
            options.form = form;
            options.compression = UopCompression::AsSource;
            WriteEntryFile(files, {kind, 0}, {}, options, out);
        } catch (const COutputError&) {
        }
    }
    return 0;
}

#pragma once
// The sample client written once per test process, and the process-wide file set and patch table
// pointed at a client directory.

#include "ClientFiles.h"
#include "SampleClient.h"
#include "VerDataTable.h"
#include "core/TempDir.h"

#include <filesystem>
#include <string>

namespace tessaly::test {

// The sample client, written once per process.
inline const TempDir& SampleClientDir() {
    static TempDir dir;
    [[maybe_unused]] static const bool written = (mk::WriteSampleClient(dir.Path(), false), true);
    return dir;
}

// Points the process-wide file set at the client in dir with slot 22 on its "verdata.mul" (or
// on patchPath) and the patch table empty.
inline void UseClient(const std::filesystem::path& dir, const std::string& patchPath = {}) {
    CClientFiles& files = TheClientFiles();
    files.CloseAll();
    TheVerDataTable().RemoveAll();
    files.SetChosenDir(dir.string());
    files.SetSlotPath(kSlotVerData, patchPath.empty() ? (dir / "verdata.mul").string() : patchPath);
}
inline void UseSampleClient(const std::string& patchPath = {}) {
    UseClient(SampleClientDir().Path(), patchPath);
}

// UseClient, then the process-wide patch table loaded from slot 22; false when that file does
// not open.
inline bool UsePatchTable(const std::filesystem::path& dir = SampleClientDir().Path()) {
    UseClient(dir);
    CClientFiles& files = TheClientFiles();
    if (!files.OpenSlot(kSlotVerData)) {
        return false;
    }
    TheVerDataTable().Load(files.GetFile(kSlotVerData));
    return true;
}

}  // namespace tessaly::test

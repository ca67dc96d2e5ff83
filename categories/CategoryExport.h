#pragma once
// Export of every entry of a category into one directory, as "Export..." writes each entry,
// with a "manifest.json" listing entry, file and size. Entries are decoded and written by
// several threads; the files, their names and the manifest do not depend on how many.

#include "ClientFiles.h"
#include "DataExport.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tessaly {

class CCategoryExport {
public:
    // One exported entry and the files it gave, paths relative to the directory.
    struct Entry {
        std::uint32_t nIndex = 0;
        std::vector<ExportedFile> files;
    };

    CCategoryExport(std::int32_t nCategory, ExportOptions options,
                    CClientFiles& files = TheClientFiles())
        : m_nCategory(nCategory), m_Options(options), m_pFiles(&files) {}

    // Called about ten times a second on the calling thread, and once at the end, with the
    // entries done and the entry count.
    std::function<void(std::uint32_t nDone, std::uint32_t nTotal)> m_Progress;

    // Writes every entry with data into dir (which must exist) with nJobs threads (at least
    // one), then the manifest. False with GetError set when a file cannot be written; the
    // files of the entries before it stay.
    bool Run(const std::string& dir, unsigned nJobs);

    // The exported entries in index order.
    const std::vector<Entry>& GetEntries() const { return m_Entries; }
    // Entries without data to export (no data, or none that decodes), the damaged ones and
    // those left out apart.
    std::uint32_t GetSkipped() const { return m_nSkipped; }
    // Entries with data that no file could hold (a picture too large, say), in index order,
    // each with why.
    const std::vector<std::pair<std::uint32_t, std::string>>& GetLeftOut() const {
        return m_LeftOut;
    }
    // The damaged entries (their record or data does not hold together), in index order:
    // skipped too, but named.
    const std::vector<std::uint32_t>& GetDamaged() const { return m_Damaged; }
    std::uint32_t GetTotal() const { return m_nTotal; }
    std::uint64_t GetFileCount() const;
    const std::string& GetError() const { return m_sError; }

    // The manifest's text: {"category": name, "entries": [{"entry", "file", "size"}, ...],
    // "skipped": n, "damaged": [entry, ...], "leftOut": [{"entry", "why"}, ...]}, one object
    // per file, in index order.
    std::string ManifestJson() const;

private:
    std::int32_t m_nCategory;
    ExportOptions m_Options;
    CClientFiles* m_pFiles;  // not owned
    std::vector<Entry> m_Entries;
    std::uint32_t m_nSkipped = 0;
    std::vector<std::uint32_t> m_Damaged;
    std::vector<std::pair<std::uint32_t, std::string>> m_LeftOut;
    std::uint32_t m_nTotal = 0;
    std::string m_sError;
};

// The manifest's file name in the directory.
inline constexpr const char* kExportManifest = "manifest.json";

}  // namespace tessaly

#include "CategoryExport.h"

#include "CDataDef.h"
#include "DataTypeDef.h"
#include "EventLog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

namespace tessaly {

bool CCategoryExport::Run(const std::string& dir, unsigned nJobs) {
    m_Entries.clear();
    m_nSkipped = 0;
    m_Damaged.clear();
    m_sError.clear();
    const DataTypeDef* def = GetTypeDef(m_nCategory);
    if (def == nullptr) {
        m_sError = "unknown category";
        return false;
    }
    m_nTotal = GetEntryCount(*def, *m_pFiles);

    // One result per entry, filled by whichever thread takes it; read in index order after.
    struct Result {
        bool bHasData = false;
        bool bDamaged = false;  // without data because it is damaged
        std::string leftOut;    // without data for this reason (its notes)
        std::vector<ExportedFile> files;
        std::string error;
    };
    std::vector<Result> results(m_nTotal);
    std::atomic<std::uint32_t> next{0};
    std::atomic<std::uint32_t> done{0};
    std::atomic<bool> failed{false};
    // The file set, the patch table and the current drawing surface are process-wide objects
    // made for one thread: reading and decoding an entry holds this lock, and so does the check
    // of each written path against the file set. Encoding the PNG and writing the files, most
    // of the work, run in parallel.
    std::mutex decoding;
    std::mutex finishing;
    std::condition_variable finished;
    unsigned running = std::max(nJobs, 1u);

    auto work = [&] {
        for (std::uint32_t n = next++; n < m_nTotal && !failed; n = next++) {
            Result& result = results[n];
            CExportData data;
            std::string name;
            {
                std::lock_guard<std::mutex> lock(decoding);
                std::unique_ptr<CDataDef> entry(CreateDataDef(m_nCategory, n, *m_pFiles));
                name = ExportFileName(*entry);
                if (m_Options.bFrames || m_Options.bAllActions) {
                    // Frames are written as they are decoded, never all held at once.
                    data.WriteAsAdded((std::filesystem::path(dir) / name).string());
                }
                try {
                    // An entry a patch record adds has no base record but still loads.
                    entry->ReadIndex();
                    entry->FollowPatchTable();
                    result.bHasData = entry->ExportData(m_Options, data) && !data.IsEmpty();
                } catch (...) {
                    LogCaughtException("exporting an entry");
                    // Parts written before the failure are on disk: the manifest lists them.
                    result.bHasData = !data.IsEmpty();
                }
                ReadStatus status = ReadStatus::Ok;
                if (!result.bHasData) {
                    try {
                        status = entry->GetReadStatus();
                    } catch (...) {
                        LogCaughtException("asking whether an entry is damaged");
                        status = ReadStatus::Damaged;
                    }
                    result.bDamaged = status == ReadStatus::Damaged;
                }
                if (!result.bHasData && !result.bDamaged) {
                    // An entry whose file fails is no empty slot: it is left out saying so.
                    result.leftOut = status == ReadStatus::Failed
                                         ? std::string("its file would not open or read")
                                         : data.JoinNotes();
                }
                for (const std::string& note : data.GetNotes()) {
                    g_pEventLog->LogRepeatable("exporting an entry",
                                               "tessaly: " + name + ": " + note + "\n");
                }
            }
            if (result.bHasData && !data.Write((std::filesystem::path(dir) / name).string(),
                                               result.files, result.error, &decoding, false)) {
                failed = true;
            }
            ++done;
        }
        std::lock_guard<std::mutex> lock(finishing);
        --running;
        finished.notify_all();
    };
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < std::max(nJobs, 1u); ++i) {
        threads.emplace_back(work);
    }
    {
        std::unique_lock<std::mutex> lock(finishing);
        while (running > 0) {
            finished.wait_for(lock, std::chrono::milliseconds(100));
            if (m_Progress && running > 0) {
                m_Progress(done, m_nTotal);
            }
        }
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    if (m_Progress) {
        m_Progress(done, m_nTotal);
    }

    for (std::uint32_t n = 0; n < m_nTotal; ++n) {
        Result& result = results[n];
        if (!result.error.empty()) {
            m_sError = result.error;  // the first failure by index, whatever the threads did
            return false;
        }
        if (!result.bHasData) {
            if (result.bDamaged) {
                m_Damaged.push_back(n);
            } else if (!result.leftOut.empty()) {
                m_LeftOut.emplace_back(n, std::move(result.leftOut));
            } else {
                ++m_nSkipped;
            }
            continue;
        }
        for (ExportedFile& file : result.files) {
            file.path = std::filesystem::path(file.path).filename().string();
        }
        m_Entries.push_back({n, std::move(result.files)});
    }
    const std::string manifest = ManifestJson();
    const std::string path = (std::filesystem::path(dir) / kExportManifest).string();
    // The entries' files reach the device together, before the manifest that lists them.
    if (!FlushExportFolder(path, m_sError)) {
        return false;
    }
    // Refused as the entries' files are: a manifest of the user's in the client's folder stays.
    if (std::string failed = WriteExport(path, manifest); !failed.empty()) {
        m_sError = std::move(failed);
        return false;
    }
    return true;
}

std::uint64_t CCategoryExport::GetFileCount() const {
    std::uint64_t count = 0;
    for (const Entry& entry : m_Entries) {
        count += entry.files.size();
    }
    return count;
}

std::string CCategoryExport::ManifestJson() const {
    QJsonArray files;
    for (const Entry& entry : m_Entries) {
        for (const ExportedFile& file : entry.files) {
            QJsonObject o;
            o[QStringLiteral("entry")] = static_cast<qint64>(entry.nIndex);
            o[QStringLiteral("file")] = QString::fromStdString(file.path);
            o[QStringLiteral("size")] = static_cast<qint64>(file.size);
            files.append(o);
        }
    }
    QJsonObject doc;
    const DataTypeDef* def = GetTypeDef(m_nCategory);
    doc[QStringLiteral("category")] = QString::fromLatin1(def != nullptr ? def->m_pszName : "");
    doc[QStringLiteral("entries")] = files;
    doc[QStringLiteral("skipped")] = static_cast<qint64>(m_nSkipped);
    QJsonArray damaged;
    for (const std::uint32_t n : m_Damaged) {
        damaged.append(static_cast<qint64>(n));
    }
    doc[QStringLiteral("damaged")] = damaged;
    QJsonArray leftOut;
    for (const auto& [n, why] : m_LeftOut) {
        QJsonObject o;
        o[QStringLiteral("entry")] = static_cast<qint64>(n);
        o[QStringLiteral("why")] = QString::fromStdString(why);
        leftOut.append(o);
    }
    doc[QStringLiteral("leftOut")] = leftOut;
    return QJsonDocument(doc).toJson(QJsonDocument::Indented).toStdString();
}

}  // namespace tessaly

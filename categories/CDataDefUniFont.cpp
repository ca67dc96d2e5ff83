#include "CDataDefUniFont.h"

#include "ClientFiles.h"
#include "EventLog.h"
#include "Text.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <mutex>

namespace tessaly {

std::vector<ClientTextFile> GetUniFontFiles() {
    constexpr std::string_view kPrefix = "unifont";
    constexpr std::string_view kSuffix = ".mul";
    std::vector<std::pair<std::uint32_t, ClientTextFile>> numbered;
    for (ClientTextFile& file : FindClientFiles(TheClientFiles(), kPrefix, kSuffix, true)) {
        const std::string_view digits = std::string_view(file.name).substr(
            kPrefix.size(), file.name.size() - kPrefix.size() - kSuffix.size());
        std::uint32_t number = 0;
        if (!digits.empty()) {
            const char* end = digits.data() + digits.size();
            const auto [stop, error] = std::from_chars(digits.data(), end, number);
            if (error != std::errc() || stop != end) {
                continue;
            }
        }
        numbered.emplace_back(number, std::move(file));
    }
    // Stable: names of one number keep their order by name.
    std::stable_sort(numbered.begin(), numbered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<ClientTextFile> files;
    files.reserve(numbered.size());
    for (auto& [number, file] : numbered) {
        files.push_back(std::move(file));
    }
    return files;
}

std::shared_ptr<const UniFontFile> GetUniFont(std::uint32_t nIndex) {
    const std::vector<ClientTextFile> files = GetUniFontFiles();
    return nIndex < files.size() ? GetUniFont(files[nIndex]) : nullptr;
}

std::shared_ptr<const UniFontFile> GetUniFont(const ClientTextFile& file) {
    static std::mutex lock;
    static std::map<std::string, std::pair<FileStamp, std::shared_ptr<const UniFontFile>>> cache;
    std::lock_guard hold(lock);
    const FileStamp stamp = GetFileStamp(file.path);
    auto& [known, font] = cache[file.path];
    if (font == nullptr || !(known == stamp)) {
        auto made = std::make_shared<UniFontFile>();
        made->name = file.name;
        std::vector<std::uint8_t> bytes;
        if (ReadWholeFile(file.path, CUniFont::kMaxFileSize, bytes, made->error)) {
            made->font.Parse(std::move(bytes));
            made->codes = made->font.Codes();
            made->broken = made->font.CountBrokenGlyphs();
        }
        known = stamp;
        font = std::move(made);
    }
    return font;
}

std::string CDataDefUniFont::GetListText() {
    if (m_pFont == nullptr) {
        return "\t\t";
    }
    return Format("%s\t%zu\t%zu", m_pFont->name.c_str(), m_pFont->codes.size(),
                  m_pFont->font.GetFileSize());
}

bool CDataDefUniFont::GetImage(SurfaceBuffer& buffer) {
    return m_pFont != nullptr &&
           DrawUniText(m_pFont->font, UniFontSample(m_pFont->font), buffer, kUniFontColour);
}

ReadStatus CDataDefUniFont::GetReadStatus() {
    if (m_pFont == nullptr) {
        return ReadStatus::Absent;
    }
    if (!m_pFont->error.empty()) {
        return ReadStatus::Failed;
    }
    return m_pFont->broken != 0 ? ReadStatus::Damaged : ReadStatus::Ok;
}

std::string CDataDefUniFont::FilesNote(CClientFiles& /*files*/) {
    std::string note;
    for (const ClientTextFile& file : GetUniFontFiles()) {
        const std::shared_ptr<const UniFontFile> font = GetUniFont(file);
        std::string problem = font->error;
        constexpr std::size_t kTableBytes = std::size_t{CUniFont::kCodes} * 4;
        if (problem.empty() && font->broken != 0) {
            problem =
                font->font.GetFileSize() < kTableBytes
                    ? Format("damaged: cut short at %zu bytes, inside its table of %zu bytes",
                             font->font.GetFileSize(), kTableBytes)
                    : Format("damaged: %u glyph(s) of its table end past the file", font->broken);
        }
        if (!problem.empty()) {
            note += (note.empty() ? "" : "; ") + font->name + ": " + problem;
        }
    }
    return note;
}

bool CDataDefUniFont::ReadIndex() {
    try {
        m_pFont = GetUniFont(GetIndex());
    } catch (...) {
        LogCaughtException("reading a Unicode font");
        m_pFont = nullptr;
    }
    return m_pFont != nullptr;
}

}  // namespace tessaly

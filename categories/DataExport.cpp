#include "DataExport.h"

#include "AnimExport.h"
#include "CDataDef.h"
#include "ClientFiles.h"
#include "PngFile.h"
#include "QFile.h"
#include "SafeSave.h"
#include "Text.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace tessaly {

namespace {

// An owned copy of a buffer's pixels, rows packed; empty for a buffer without pixels (or when
// the memory is not there).
SurfaceBuffer CopyPixels(const SurfaceBuffer& buffer) {
    SurfaceBuffer copy;
    const std::uint32_t width = buffer.GetWidth();
    const std::uint32_t height = buffer.GetHeight();
    if (buffer.GetData() != nullptr && width != 0 && height != 0 &&
        copy.CreateBuffer(width, height, 2)) {
        PlaceFrame({buffer, 0, 0}, {0, 0, width, height}, copy, 0, 0);
    }
    return copy;
}

}  // namespace

bool CExportData::AddPicture(const SurfaceBuffer& buffer, const std::string& suffix) {
    SurfaceBuffer picture = CopyPixels(buffer);
    if (picture.GetData() == nullptr) {
        return false;
    }
    // A picture of several (a frame, "-00") is a PNG file whatever the name chosen for the
    // whole ends in ("x.gif", none at all); a picture alone takes the name as chosen.
    Add({suffix, std::move(picture), {}, suffix.empty() ? std::string() : std::string(".png")});
    return true;
}

void CExportData::AddBytes(std::vector<std::uint8_t> bytes, const std::string& suffix) {
    Add({suffix, SurfaceBuffer(), std::move(bytes), {}});
}

void CExportData::AddFile(const SurfaceBuffer* picture, std::vector<std::uint8_t> bytes,
                          const std::string& suffix, const std::string& extension) {
    Part part{suffix, SurfaceBuffer(), std::move(bytes), extension};
    if (picture != nullptr) {
        part.picture = CopyPixels(*picture);
        if (part.picture.GetData() == nullptr) {
            return;
        }
    }
    Add(std::move(part));
}

std::string CExportData::PartFileName(const std::string& path, const std::string& suffix,
                                      const std::string& extension) const {
    return std::filesystem::path(
               ExportPartPath(m_sStreamPath.empty() ? path : m_sStreamPath, suffix, extension))
        .filename()
        .string();
}

void CExportData::Add(Part part) {
    if (m_sStreamPath.empty()) {
        m_Parts.push_back(std::move(part));
    } else if (m_sStreamError.empty()) {
        WritePart(part, m_sStreamPath, m_Streamed, m_sStreamError);
    }
}

bool CExportData::WritePart(const Part& part, const std::string& path,
                            std::vector<ExportedFile>& files, std::string& error,
                            std::mutex* pFilesLock) {
    const std::string target = ExportPartPath(path, part.suffix, part.extension);
    std::string_view bytes(reinterpret_cast<const char*>(part.bytes.data()), part.bytes.size());
    std::vector<std::uint8_t> png;
    if (part.picture.GetData() != nullptr) {
        png = EncodePng(part.picture);
        if (png.empty()) {
            error = "Unable to write the file '" + target + "'";
            return false;
        }
        bytes = std::string_view(reinterpret_cast<const char*>(png.data()), png.size());
    }
    error = WriteExport(target, bytes, pFilesLock, false);
    if (!error.empty()) {
        return false;
    }
    files.push_back({target, bytes.size()});
    return true;
}

bool CExportData::Write(const std::string& path, std::vector<ExportedFile>& files,
                        std::string& error, std::mutex* pFilesLock, bool flush) const {
    files.insert(files.end(), m_Streamed.begin(), m_Streamed.end());
    if (!m_sStreamError.empty()) {
        error = m_sStreamError;
        return false;
    }
    for (const Part& part : m_Parts) {
        if (!WritePart(part, path, files, error, pFilesLock)) {
            return false;
        }
    }
    return !flush || files.empty() || FlushExportFolder(files.front().path, error);
}

bool FlushExportFolder(const std::string& path, std::string& error) {
    std::filesystem::path dir = std::filesystem::path(path).parent_path();
    if (dir.empty()) {
        dir = ".";
    }
    if (!FlushFolderFiles(dir.string())) {
        error = "Unable to write the files in '" + dir.string() + "': " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string CExportData::JoinNotes() const {
    std::string text;
    for (const std::string& note : m_Notes) {
        text += (text.empty() ? "" : "\n") + note;
    }
    return text;
}

const char* ExportFilter(ExportKind kind) {
    switch (kind) {
        case ExportKind::Wave:
            return "Wave files|*.wav||";
        case ExportKind::Animation:
            return "PNG sprite sheet|*.png|PNG picture per frame|*.png|Animated GIF|*.gif|"
                   "PNG sprite sheets of every action, with JSON|*.png|"
                   "PNG pictures of every action, direction and frame|*.png|"
                   "Animated GIFs of every action and direction|*.gif||";
        case ExportKind::ItemPicture:
            return "PNG pictures|*.png|GIF picture (animated items: their frames)|*.gif|"
                   "PNG picture per frame (animated items)|*.png||";
        case ExportKind::Picture:
        case ExportKind::None:
            break;
    }
    return "PNG pictures|*.png||";
}

void SetExportChoice(ExportKind kind, int filter, ExportOptions& options) {
    if (kind == ExportKind::Animation) {
        options.bAllActions = filter >= 3;
        options.bFrames = filter % 3 == 1;
        options.bGif = filter % 3 == 2;
    } else if (kind == ExportKind::ItemPicture) {
        options.bGif = filter == 1;
        options.bFrames = filter == 2;
    }
}

const char* ExportChoiceExtension(ExportKind kind, int filter) {
    ExportOptions options;
    SetExportChoice(kind, filter, options);
    return options.bGif ? ".gif" : ExportExtension(kind);
}

const char* ExportExtension(ExportKind kind) {
    switch (kind) {
        case ExportKind::Picture:
        case ExportKind::ItemPicture:
        case ExportKind::Animation:
            return ".png";
        case ExportKind::Wave:
            return ".wav";
        case ExportKind::None:
            break;
    }
    return "";
}

std::string ExportFileName(CDataDef& entry) {
    return AsciiLower(entry.GetTypeName()) + Format("-%04x", entry.GetIndex()) +
           ExportExtension(entry.GetExportKind());
}

std::string ExportPartPath(const std::string& path, const std::string& suffix,
                           const std::string& extension) {
    const std::filesystem::path p(path);
    if (suffix.empty() && (extension.empty() || p.extension() == extension)) {
        return path;
    }
    std::filesystem::path name = p.stem();
    name += suffix;
    if (extension.empty()) {
        name += p.extension();
    } else {
        name += extension;
    }
    return (p.parent_path() / name).string();
}

std::string WriteExport(const std::string& path, std::string_view bytes, std::mutex* pFilesLock,
                        bool flush) {
    std::string refused;
    {
        std::unique_lock<std::mutex> lock =
            pFilesLock != nullptr ? std::unique_lock(*pFilesLock) : std::unique_lock<std::mutex>();
        refused = TheClientFiles().RefuseAsOutputFile(path);
    }
    if (!refused.empty()) {
        return refused;
    }
    errno = 0;
    if (!WriteOutputFile(
            path, ByteSpan(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
            flush)) {
        const int error = errno;
        return "Unable to write the file '" + path + "'" +
               (error != 0 ? std::string(": ") + std::strerror(error) : std::string());
    }
    return {};
}

}  // namespace tessaly

#pragma once
// Export of one entry to files: pictures as PNG, sounds as the RIFF/WAVE bytes WriteWave makes,
// an animation's frames as one PNG per frame or one sprite sheet. An entry's ExportData
// (CDataDef) gives the decoded content; CExportData names and writes the files. The window's
// Export... and tessaly-cli both go through here.

#include "Surface.h"

#include <QSize>

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

class CDataDef;

// What an entry exports; it decides the file dialog's filters and the files' extension.
// ItemPicture: a picture that may play as frames (items: PNG, or their frames as PNG files or
// a GIF).
enum class ExportKind { None, Picture, ItemPicture, Wave, Animation };

// Choices that shape an export, handed to every kind's ExportData. A further drawing choice
// (such as a hue) is one more field here.
struct ExportOptions {
    std::int32_t nAction = 0;     // animations: the action
    std::int32_t nDirection = 3;  // animations: the direction drawn, 0-7 (list position 0)
    bool bFrames = false;         // animations, animated items: one PNG per frame instead of a
                                  // sprite sheet (an item: instead of its picture)
    bool bGif = false;            // animations, animated items: an animated GIF
    bool bAllActions = false;     // animations: every action and direction at once (sprite
                                  // sheets: one per action, with its JSON description)
    std::uint16_t nHue = 0;       // items, gumps, animations: the client's hue number (0 none)
    bool bPartial = false;        // the hue changes grey pixels only
};

// One file an export wrote, with its size in bytes.
struct ExportedFile {
    std::string path;
    std::uint64_t size = 0;
};

// The decoded content of one export: one file, or one file per part (animation frames).
class CExportData {
public:
    // Adds a picture, copied out of the buffer; `suffix` goes between the file's stem and its
    // extension (empty for the file itself). False for a buffer without pixels.
    bool AddPicture(const SurfaceBuffer& buffer, const std::string& suffix = std::string());
    // Adds a file's bytes as they are (a wave).
    void AddBytes(std::vector<std::uint8_t> bytes, const std::string& suffix = std::string());
    // Adds a file with its own extension (".gif", ".json"; empty: the path's): a picture (made a
    // PNG file) or, without one, the bytes.
    void AddFile(const SurfaceBuffer* picture, std::vector<std::uint8_t> bytes,
                 const std::string& suffix, const std::string& extension);

    // Writes each part as soon as it is added, beside `path` as Write(path) would, instead of
    // keeping it: an export of many parts (an animation's frames) then never holds them all
    // at once. Write then reports what was written and the first failure.
    void WriteAsAdded(const std::string& path) { m_sStreamPath = path; }

    // The file name (without directory) of the part of that suffix and extension: beside the
    // path parts are written to as they are added, else beside `path`.
    std::string PartFileName(const std::string& path, const std::string& suffix,
                             const std::string& extension) const;

    bool IsEmpty() const { return m_Parts.empty() && m_Streamed.empty() && m_sStreamError.empty(); }

    // A part the export leaves out, and why ("action 2 left out: ..."): the rest is written,
    // and the caller shows these beside what was written.
    void AddNote(std::string note) { m_Notes.push_back(std::move(note)); }
    const std::vector<std::string>& GetNotes() const { return m_Notes; }
    // The notes on one line each, for a message.
    std::string JoinNotes() const;
    // The size of the first part's picture (empty without one).
    QSize GetPictureSize() const {
        if (m_Parts.empty()) {
            return QSize();
        }
        const SurfaceBuffer& picture = m_Parts.front().picture;
        return QSize(static_cast<int>(picture.GetWidth()), static_cast<int>(picture.GetHeight()));
    }
    // Writes every part: a part without suffix to path itself, the others beside it. Encoding
    // pictures is the expensive step and touches no shared state, so exports may write in
    // several threads at once; only the check of each path against the process-wide file set
    // (WriteExport) reads it, holding `pFilesLock` when given, the lock under which the other
    // threads read entries. False with `error` set (and the failed file removed) when a file
    // cannot be written. The files are flushed to the device together at the end; without
    // `flush` they are left for the caller's FlushFolderFiles (an export of many entries).
    bool Write(const std::string& path, std::vector<ExportedFile>& files, std::string& error,
               std::mutex* pFilesLock = nullptr, bool flush = true) const;

private:
    struct Part {
        std::string suffix;
        SurfaceBuffer picture;            // a picture (its own copy), or none
        std::vector<std::uint8_t> bytes;  // without picture: the file's bytes
        std::string extension;            // empty: the path's
    };
    // Keeps a part, or writes it at once when the parts are written as they are added.
    void Add(Part part);
    static bool WritePart(const Part& part, const std::string& path,
                          std::vector<ExportedFile>& files, std::string& error,
                          std::mutex* pFilesLock = nullptr);

    std::vector<Part> m_Parts;
    std::string m_sStreamPath;  // empty: parts are kept until Write
    std::vector<ExportedFile> m_Streamed;
    std::string m_sStreamError;
    std::vector<std::string> m_Notes;
};

// The save dialog's filters for a kind ("Name|pattern|...||"): an animation offers the layouts
// (one action and direction as a sheet, PNG frames, a GIF; the same for every action), an item
// its picture, a GIF and its frames.
const char* ExportFilter(ExportKind kind);
// Sets the options of the save dialog's filter `filter` for a kind.
void SetExportChoice(ExportKind kind, int filter, ExportOptions& options);
// The extension a filter's files get when the chosen name has none.
const char* ExportChoiceExtension(ExportKind kind, int filter);
// The extension of a kind's files: ".png", ".wav", or empty for None.
const char* ExportExtension(ExportKind kind);
// The file name an entry's export gets unless the user picks another: the category's short
// name in lower case, the index as the list shows it and the extension ("items-0e3c.png").
std::string ExportFileName(CDataDef& entry);
// The path of a part: path's stem, the suffix, path's extension or the one given ("a.png",
// "-03": "a-03.png"; "a.png", "-a00", ".json": "a-a00.json").
std::string ExportPartPath(const std::string& path, const std::string& suffix,
                           const std::string& extension = std::string());
// Writes a whole export file as WriteOutputFile does unless the process-wide file set's
// RefuseAsOutputFile refuses its path: empty when written, else why not (the refusal, or
// "Unable to write the file 'PATH'" and the system's reason). The file set is asked holding
// `pFilesLock` when given (threads that read entries meanwhile open its files). Without `flush` a
// new file is left for FlushFolderFiles. Flushes the files written beside path (FlushFolderFiles);
// false with `error` set when that fails.
bool FlushExportFolder(const std::string& path, std::string& error);
std::string WriteExport(const std::string& path, std::string_view bytes,
                        std::mutex* pFilesLock = nullptr, bool flush = true);

}  // namespace tessaly

#include "CDataDefCliloc.h"

#include "ClientFiles.h"
#include "EventLog.h"
#include "FileNames.h"
#include "Text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

#include <filesystem>
#include <mutex>

namespace tessaly {

namespace {

struct ClilocCache {
    std::mutex lock;
    std::string language = kClilocBase;
    FileStamp englishStamp;
    FileStamp ownStamp;
    std::shared_ptr<const ClilocView> view;
};

ClilocCache& Cache() {
    static ClilocCache cache;
    return cache;
}

// The file of a language, found whatever the case of its name; empty when there is none.
std::string FindLanguageFile(const std::string& language) {
    const std::string dir = TheClientFiles().GetBasePath(nullptr);
    return dir.empty() ? std::string() : FindFileNoCase(dir, "cliloc." + language);
}

std::shared_ptr<const CClilocFile> LoadFile(const std::string& path) {
    auto file = std::make_shared<CClilocFile>();
    if (!path.empty()) {
        file->Load(path);
    }
    return file;
}

std::string FileComplaint(const std::string& path, const CClilocFile& file) {
    if (file.GetError().empty()) {
        return {};
    }
    const std::string name = std::filesystem::path(path).filename().string();
    if (file.IsCompressed() || file.Messages().empty()) {
        return name + ": " + file.GetError();
    }
    return name + ": " + file.GetError() + Format(" (%zu messages read)", file.Messages().size());
}

void AppendField(std::string& out, std::string_view text) {
    out += '\t';
    out += AsListField(text);
}

void AppendCsvField(std::string& out, std::string_view text) {
    out += '"';
    for (char c : text) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
}

}  // namespace

std::string_view ClilocView::OwnText(const ClilocRow& row) const {
    return row.own == ClilocRow::kNone ? std::string_view() : own->Text(own->Messages()[row.own]);
}

std::string_view ClilocView::EnglishText(const ClilocRow& row) const {
    return row.base == ClilocRow::kNone ? std::string_view()
                                        : english->Text(english->Messages()[row.base]);
}

const ClilocRow* ClilocView::FindNumber(std::uint32_t number, std::uint32_t* pRow) const {
    auto it =
        std::lower_bound(rows.begin(), rows.end(), number,
                         [](const ClilocRow& row, std::uint32_t n) { return row.number < n; });
    if (it == rows.end() || it->number != number) {
        return nullptr;
    }
    if (pRow != nullptr) {
        *pRow = static_cast<std::uint32_t>(it - rows.begin());
    }
    return &*it;
}

std::vector<std::string> GetClilocLanguages() {
    std::vector<std::string> languages;
    for (const ClientTextFile& file : FindClientFiles(TheClientFiles(), "cliloc.", "", true)) {
        const std::string language = AsciiLower(file.name.substr(7));
        // Names that differ only in case ("Cliloc.enu", "CLILOC.ENU") are one language.
        if (!language.empty() && language.find('.') == std::string::npos &&
            (languages.empty() || languages.back() != language)) {
            languages.push_back(language);
        }
    }
    return languages;
}

std::string GetClilocLanguage() {
    std::lock_guard hold(Cache().lock);
    return Cache().language;
}

void SetClilocLanguage(const std::string& language) {
    std::lock_guard hold(Cache().lock);
    const std::string lower = AsciiLower(language);
    Cache().language = lower.empty() ? kClilocBase : lower;
}

std::shared_ptr<const ClilocView> GetClilocView(bool recheck) {
    ClilocCache& cache = Cache();
    std::lock_guard hold(cache.lock);
    if (!recheck && cache.view != nullptr && cache.view->language == cache.language) {
        return cache.view;
    }
    const std::string englishPath = FindLanguageFile(kClilocBase);
    const bool english = cache.language == kClilocBase;
    const std::string ownPath = english ? englishPath : FindLanguageFile(cache.language);
    const FileStamp englishStamp = GetFileStamp(englishPath);
    const FileStamp ownStamp = GetFileStamp(ownPath);
    if (cache.view != nullptr && cache.view->language == cache.language &&
        englishStamp == cache.englishStamp && ownStamp == cache.ownStamp) {
        return cache.view;
    }
    auto view = std::make_shared<ClilocView>();
    view->language = cache.language;
    view->english = LoadFile(englishPath);
    view->own = english ? view->english : LoadFile(ownPath);
    view->rows = OverlayCliloc(*view->own, *view->english);
    std::vector<std::string> complaints;
    if (englishPath.empty()) {
        complaints.push_back("there is no Cliloc.enu");
    } else if (std::string c = FileComplaint(englishPath, *view->english); !c.empty()) {
        complaints.push_back(c);
    }
    if (!english && ownPath.empty()) {
        complaints.push_back("there is no Cliloc." + cache.language);
    } else if (!english) {
        if (std::string c = FileComplaint(ownPath, *view->own); !c.empty()) {
            complaints.push_back(c);
        }
    }
    for (const std::string& c : complaints) {
        view->error += (view->error.empty() ? "" : "; ") + c;
    }
    cache.englishStamp = englishStamp;
    cache.ownStamp = ownStamp;
    cache.view = std::move(view);
    return cache.view;
}

std::string CDataDefCliloc::FilesNote(CClientFiles& /*files*/) {
    return GetClilocView()->error;
}

std::string CDataDefCliloc::GetListText() {
    if (m_pView == nullptr) {
        return Format("%u\t\t\t", GetIndex());
    }
    const ClilocRow& row = GetRow();
    std::string text = std::to_string(row.number);
    text += '\t';
    if (row.own != ClilocRow::kNone) {
        text += std::to_string(m_pView->own->Messages()[row.own].flag);
    }
    AppendField(text, m_pView->OwnText(row));
    AppendField(text, m_pView->IsEnglish() ? std::string_view() : m_pView->EnglishText(row));
    return text;
}

bool CDataDefCliloc::CopyData(EntryClip& clip) {
    if (m_pView == nullptr) {
        return false;
    }
    clip.text = std::string(m_pView->OwnText(GetRow()));
    return true;
}

bool CDataDefCliloc::ReadIndex() {
    try {
        std::shared_ptr<const ClilocView> view = GetClilocView(false);
        m_pView = GetIndex() < view->rows.size() ? std::move(view) : nullptr;
    } catch (...) {
        LogCaughtException("reading the cliloc files");
        m_pView = nullptr;
    }
    return m_pView != nullptr;
}

std::string ClilocCsv(const ClilocView& view) {
    std::string out = "number,flag,text,english\r\n";
    for (const ClilocRow& row : view.rows) {
        out += std::to_string(row.number);
        out += ',';
        if (row.own != ClilocRow::kNone) {
            out += std::to_string(view.own->Messages()[row.own].flag);
        }
        out += ',';
        AppendCsvField(out, view.OwnText(row));
        out += ',';
        AppendCsvField(out, view.EnglishText(row));
        out += "\r\n";
    }
    return out;
}

QString ClilocJsonText(std::string_view text) {
    // QString::fromUtf8 would drop a leading byte-order mark.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

std::string ClilocJson(const ClilocView& view) {
    // Written message by message: a document of a million message objects held at once costs
    // several times the text it makes. The layout is QJsonDocument's indented one.
    QJsonObject head;
    if (!view.error.empty()) {
        head[QStringLiteral("error")] = ClilocJsonText(view.error);
    }
    head[QStringLiteral("language")] = QString::fromStdString(view.language);
    head[QStringLiteral("messages")] = QJsonArray();
    std::string out = QJsonDocument(head).toJson(QJsonDocument::Indented).toStdString();
    // The head ends with the empty array, "[\n    ]\n}\n": the messages go inside it.
    const std::size_t close = out.rfind('[') + 2;
    const std::string tail = out.substr(close);
    out.resize(close);
    bool first = true;
    for (const ClilocRow& row : view.rows) {
        QJsonObject o;
        o[QStringLiteral("number")] = static_cast<qint64>(row.number);
        if (row.own != ClilocRow::kNone) {
            o[QStringLiteral("flag")] = view.own->Messages()[row.own].flag;
            o[QStringLiteral("text")] = ClilocJsonText(view.OwnText(row));
        }
        if (!view.IsEnglish() && row.base != ClilocRow::kNone) {
            o[QStringLiteral("english")] = ClilocJsonText(view.EnglishText(row));
        }
        if (!first) {
            out.insert(out.size() - 1, ",");
        }
        first = false;
        const QByteArray text = QJsonDocument(o).toJson(QJsonDocument::Indented);
        out += "        ";
        for (qsizetype i = 0; i < text.size(); ++i) {
            out += text[i];
            if (text[i] == '\n' && i + 1 < text.size()) {
                out += "        ";
            }
        }
    }
    out += tail;
    return out;
}

}  // namespace tessaly

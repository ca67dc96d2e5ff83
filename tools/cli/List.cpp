// tessaly-cli list CATEGORY: a category as the text list shows it with the default filters,
// built from the same entry objects as the window.

#include "CDataDefMap.h"
#include "CDataEntries.h"
#include "CDataVerData.h"
#include "Cli.h"
#include "DataTypeDef.h"
#include "Text.h"
#include "Texts.h"

#include <QJsonArray>
#include <QJsonObject>

#include <optional>
#include <ostream>

namespace tessaly::cli {

namespace {

// The patch file's records as a document holds them, with the view's default filters.
class ListHost : public CEntrySource {
public:
    ListHost() {
        CVerDataTable& table = TheVerDataTable();
        m_Records.SetSize(table.GetCount());
        for (std::int32_t i = 0; i < table.GetCount(); ++i) {
            m_Records[i] = new CDataVerData(table.ElementAt(i));
        }
    }
    CQObArray<CDataVerData*>* GetDocumentEntries() override { return &m_Records; }

    CQObArray<CDataVerData*> m_Records;
};

// What a row holds: "used", "unused" (no data), "deleted" (by a patch record), "damaged" (its
// record or data does not hold together) or "failed" (its file would not open or read).
QString RowState(CDataDef& entry) {
    if (entry.IsDeleted()) {
        return QStringLiteral("deleted");
    }
    switch (entry.GetReadStatus()) {
        case ReadStatus::Ok:
            return QStringLiteral("used");
        case ReadStatus::Absent:
            return QStringLiteral("unused");
        case ReadStatus::Damaged:
            return QStringLiteral("damaged");
        case ReadStatus::Failed:
            break;
    }
    return QStringLiteral("failed");
}

int RunList(Invocation& inv) {
    const std::string& name = inv.Arg(0, "CATEGORY");
    std::int32_t category = FindCategory(name);
    if (category == 0) {
        throw UsageError("unknown category '" + name + "'");
    }
    const DataTypeDef* def = GetTypeDef(category);
    if (def->m_bMessages) {
        ChooseClilocView(inv);  // which says what is wrong with the files itself
    } else if (inv.Value("--lang") != nullptr) {
        throw UsageError("--lang is for the Cliloc category");
    } else {
        WarnNote(GetListNote(*def, TheClientFiles()));
    }
    if (const std::string* value = inv.Value("--facet")) {
        if (!HoldsFacetBlocks(*def)) {
            throw UsageError("--facet is for the Map and Statics categories");
        }
        const int facet = static_cast<int>(ParseNumber(*value, "facet", 5));
        if (ClientFacet(facet) == nullptr) {
            throw UsageError(Format("the client has no facet %d", facet));
        }
        SetChosenFacet(facet);
    }
    // The client's texts (the rows without a file slot) are UTF-8, the other names Latin-1.
    const bool utf8 = def->m_nDataFile == kNoFile;
    auto shown = [utf8](const char* text) {
        return utf8 ? QString::fromUtf8(text) : QString::fromLatin1(text);
    };
    ListHost host;
    host.m_bShowUnused = inv.HasFlag("--unused") ? 1 : 0;
    CDataEntries list(category, &host);
    const int columns = def->ColumnCount();
    std::optional<JsonRows> rows;
    if (inv.json) {
        QJsonObject head;
        head[QStringLiteral("category")] = category;
        head[QStringLiteral("name")] = QString::fromLatin1(def->m_pszName);
        rows.emplace(inv, head, "rows");
    }
    for (CDataDef* entry : list.CollectRows()) {
        std::string line = Format("%04x\t%s", entry->GetIndex(), entry->GetColumnText(-1));
        QJsonArray fields;
        for (int c = 0; c < columns; ++c) {
            const char* text = entry->GetColumnText(c);
            // Tabs part the columns: those inside a name show as escapes, as do other control
            // bytes, which are not sent to the terminal.
            line += '\t';
            line += utf8 ? Utf8ToTerminal(text != nullptr ? text : "")
                         : Latin1ToTerminal(text != nullptr ? text : "");
            fields.append(shown(text != nullptr ? text : ""));
        }
        if (inv.json) {
            QJsonObject row;
            row[QStringLiteral("index")] = static_cast<qint64>(entry->GetIndex());
            row[QStringLiteral("change")] = QString::fromLatin1(entry->GetColumnText(-1));
            row[QStringLiteral("state")] = RowState(*entry);
            row[QStringLiteral("columns")] = fields;
            rows->Add(row);
        } else {
            *inv.out << line << '\n';
        }
    }
    if (rows) {
        rows->Finish();
    }
    return 0;
}

CommandRegistrar list({"list", "CATEGORY [--unused] [--lang XXX] [--facet N]",
                       "a category as the text list shows it (index, change mark, columns); "
                       "--lang: the Cliloc language shown over English; --facet: the facet "
                       "whose statics blocks are listed (0 to 5, Felucca without it)",
                       true, RunList});

}  // namespace

}  // namespace tessaly::cli

// tessaly-cli cliloc NUMBER [--lang XXX]: one cliloc message; and the language choice that
// `list Cliloc` and `export-all Cliloc` share.

#include "Texts.h"
#include "CDataDefCliloc.h"
#include "Cli.h"
#include "Text.h"

#include <QJsonObject>

#include <algorithm>
#include <iostream>
#include <ostream>

namespace tessaly::cli {

namespace {

int RunCliloc(Invocation& inv) {
    const std::uint32_t number = inv.Number(0, "message number");
    const std::shared_ptr<const ClilocView> view = ChooseClilocView(inv);
    const std::string file = "Cliloc." + view->language;
    const ClilocRow* row = view->FindNumber(number);
    if (row == nullptr || (row->own == ClilocRow::kNone && view->IsEnglish())) {
        throw UsageError(Format("%s has no message %u", file.c_str(), number));
    }
    if (inv.json) {
        QJsonObject o;
        o[QStringLiteral("number")] = static_cast<qint64>(number);
        o[QStringLiteral("language")] = QString::fromStdString(view->language);
        if (row->own != ClilocRow::kNone) {
            const std::string_view text = view->OwnText(*row);
            o[QStringLiteral("flag")] = view->own->Messages()[row->own].flag;
            o[QStringLiteral("text")] = ClilocJsonText(text);
            o[QStringLiteral("length")] = static_cast<qint64>(text.size());
        }
        if (!view->IsEnglish() && row->base != ClilocRow::kNone) {
            o[QStringLiteral("english")] = ClilocJsonText(view->EnglishText(*row));
        }
        inv.PrintJson(o);
    } else if (row->own == ClilocRow::kNone) {
        // Control bytes are escaped, as in the list: a text never sends commands to a terminal.
        *inv.out << "(no translation in " << file << "; English:) "
                 << Utf8ToTerminal(view->EnglishText(*row)) << '\n';
    } else {
        *inv.out << Utf8ToTerminal(view->OwnText(*row)) << '\n';
    }
    return 0;
}

CommandRegistrar cliloc({"cliloc", "NUMBER [--lang XXX]",
                         "the text of a cliloc message (decimal number) in English or in the "
                         "language XXX (\"deu\")",
                         true, RunCliloc});

}  // namespace

std::shared_ptr<const ClilocView> ChooseClilocView(const Invocation& inv) {
    std::string language = kClilocBase;
    if (const std::string* value = inv.Value("--lang")) {
        language = AsciiLower(*value);
    }
    const std::vector<std::string> languages = GetClilocLanguages();
    if (std::find(languages.begin(), languages.end(), language) == languages.end()) {
        std::string known;
        for (const std::string& l : languages) {
            known += (known.empty() ? "" : ", ") + l;
        }
        throw UsageError(
            "there is no Cliloc." + language +
            (known.empty() ? std::string(" (no cliloc files)") : " (languages: " + known + ")"));
    }
    SetClilocLanguage(language);
    std::shared_ptr<const ClilocView> view = GetClilocView();
    if (!view->error.empty()) {
        // Compressed: nothing to show. Damaged: the messages before the damage are shown.
        if (const std::string nothing = view->NothingShownReason(); !nothing.empty()) {
            throw UsageError(nothing);
        }
        std::cerr << "tessaly-cli: " << view->error << '\n';
    }
    return view;
}

}  // namespace tessaly::cli

#pragma once
// The cliloc language a command shows: --lang XXX, or English.

#include "CDataDefCliloc.h"
#include "Cli.h"

#include <memory>

namespace tessaly::cli {

// Chooses the language of --lang (English without it) for the Cliloc category and reads its
// messages. UsageError for a language without a file and for a file with nothing to show (a
// compressed one); a damaged file's complaint goes to standard error and what was read is shown.
std::shared_ptr<const ClilocView> ChooseClilocView(const Invocation& inv);

}  // namespace tessaly::cli

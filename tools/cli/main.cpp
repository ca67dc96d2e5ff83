// tessaly-cli: command-line access to a client's data files.

#include "Cli.h"
#include "TarnError.h"

#include <exception>
#include <iostream>
#include <string>

using namespace tessaly::cli;

namespace {

void PrintHelp(std::ostream& out) {
    out << "usage: tessaly-cli [--client-dir DIR] [--verdata FILE] COMMAND [ARGS...] [--json]\n"
           "Numbers are decimal or 0x-hex.\n\ncommands:\n";
    for (const Command& c : Commands()) {
        std::string line = std::string("  ") + c.name + " " + c.usage;
        if (line.size() < 44) {
            line.resize(44, ' ');
        } else {
            line += "  ";
        }
        out << line << c.summary << '\n';
    }
}

int Run(int argc, char** argv) {
    Invocation inv;
    inv.out = &std::cout;
    std::string name;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const char* option) {
            if (i + 1 >= argc) {
                throw UsageError(std::string(option) + " needs a value");
            }
            return std::string(argv[++i]);
        };
        if (a == "--help" || a == "-h") {
            PrintHelp(std::cout);
            return 0;
        } else if (a == "--client-dir") {
            inv.global.clientDir = value("--client-dir");
        } else if (a == "--verdata") {
            inv.global.verdata = value("--verdata");
        } else if (a == "--json") {
            inv.json = true;
        } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            inv.flags.push_back(a);
        } else if (name.empty()) {
            name = a;
        } else {
            inv.args.push_back(a);
        }
    }
    if (name.empty()) {
        throw UsageError("missing command (see tessaly-cli --help)");
    }
    for (const Command& c : Commands()) {
        if (name == c.name && (c.kind == nullptr || (!inv.args.empty() && inv.args[0] == c.kind))) {
            // A command's options are the ones its usage names; any other is a mistake.
            for (const std::string& flag : inv.flags) {
                if (std::string(c.usage).find("[" + flag + "]") == std::string::npos) {
                    throw UsageError("unknown option '" + flag + "' for '" + name + "'");
                }
            }
            if (c.needsClient) {
                PrepareClientFiles(inv.global);
            }
            return c.run(inv);
        }
    }
    throw UsageError("unknown command '" + name + "' (see tessaly-cli --help)");
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const tessaly::CTarnError& e) {
        std::cerr << "tessaly-cli: " << e.m_pszDescription << '\n';
    } catch (const std::exception& e) {
        std::cerr << "tessaly-cli: " << e.what() << '\n';
    } catch (...) {
        std::cerr << "tessaly-cli: the data could not be read\n";
    }
    return 2;
}

// tessaly-mkclient: writes a complete, deterministic sample client directory.

#include "SampleClient.h"

#include <exception>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    std::string dir;
    bool full = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--full") {
            full = true;
        } else if (a == "--help" || a == "-h") {
            std::cout << "usage: tessaly-mkclient [--full] DIR\n"
                         "Writes a sample client into DIR; --full writes a full-size one.\n";
            return 0;
        } else if (dir.empty() && a.compare(0, 2, "--") != 0) {
            dir = a;
        } else {
            std::cerr << "tessaly-mkclient: unexpected argument '" << a << "'\n";
            return 2;
        }
    }
    if (dir.empty()) {
        std::cerr << "usage: tessaly-mkclient [--full] DIR\n";
        return 2;
    }
    try {
        tessaly::mk::WriteSampleClient(dir, full);
    } catch (const std::exception& e) {
        std::cerr << "tessaly-mkclient: " << e.what() << '\n';
        return 2;
    }
    return 0;
}

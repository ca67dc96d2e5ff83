// tessaly: the viewer and patch editor. The application object does the work.

#include "CBrindleApp.h"

int main(int argc, char** argv) {
    return tessaly::CBrindleApp::Main(argc, argv);
}

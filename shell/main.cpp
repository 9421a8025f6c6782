// Process entry: everything is in KiruMain, so that the program is one line here.
#include "shell/entry.h"

int main(int argc, char** argv) { return KiruMain(argc, argv); }

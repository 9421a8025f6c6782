// Process entry: the command line rebuilt from argv and read as the modes say.
#pragma once

int KiruMain(int argc, char** argv);

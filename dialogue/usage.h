// What the program says when it is started with arguments: the dialogue
// itself takes none, so --help and --version are answered and anything else
// is refused, before any console is set up. Without arguments this is never
// reached.
#pragma once

/// Answers the arguments (argv[1] onwards, argc above 1): the usage on
/// standard output for --help, the version for --version (status 0); the
/// usage on standard error for anything else (status 2).
int usage(int argc, char** argv);

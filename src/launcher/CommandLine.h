// The program's command line: --help and --version answer and end the
// program before any window opens; no argument runs the dialog.
#pragma once

enum class TCommandLineAction {
  RunDialog,  // no argument: the dialog, then the film
  Exit,       // answered (--help, --version) or refused; end with the status
};

// Reads the arguments, prints the usage or version where asked (usage on
// standard error for an unknown argument) and sets ExitStatus: 0 after an
// answer, 2 for an unknown argument.
TCommandLineAction ReadCommandLine(int Count, const char *const Args[], int &ExitStatus);

// The usage text --help prints.
const char *QuillmoorUsage();

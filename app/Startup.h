#pragma once

class QApplication;

// Registers the program's built-in pictures (splash, icons). The resources live in a static
// library, so they must be registered by a call; repeating it does no harm.
void initAppResources();

// Everything after the command line has been stored (CommandLine::setArguments): the usage
// box, the splash and the main window's event loop. Returns the program's exit code.
int runProgram(QApplication& app);

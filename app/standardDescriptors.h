#pragma once
// Descriptors 0, 1 and 2 must be open before anything else opens a file: a program started with
// one of them closed would otherwise hand that number to its next file (the X connection, say)
// and write its console text into it.

// Opens /dev/null on each of standard input, output and error that is closed.
void openClosedStandardDescriptors();

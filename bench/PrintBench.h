#pragma once

#include <QString>

namespace vardelo::bench {

/// Printing a large collection on the default printer (bench/run makes it a CUPS queue that holds its jobs):
/// the program's main window against a floor, Qt's own QTextDocument::print of the same text in a bare
/// program. Each print runs in a child process of its own, so that its memory is its own.

/// Whether mode names one of these children.
bool isPrintChild(const QString& mode);
/// Runs a child ("print-program" or "print-floor", then the collection's size in MB) and prints its figures,
/// one "name value" a line; returns its exit code.
int runPrintChild(const QString& mode, int megabytes);
/// Runs the children and prints their table.
void printPrintTable();

} // namespace vardelo::bench

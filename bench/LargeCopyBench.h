#pragma once

#include <QString>

namespace vardelo::bench {

/// A 200 MB Cyrillic text copied through X11 in chunks (INCR) by the test owner, read by the X11 reader alone in
/// a child process of its own: the longest gap between 10 ms ticks while it is read and decoded, and the peak
/// memory it adds against its text's UTF-16 size.

/// Whether mode names this child.
bool isLargeCopyChild(const QString& mode);
/// Runs the child and prints its figures, one "name value" a line; returns its exit code.
int runLargeCopyChild();
/// Runs the child and prints its table.
void printLargeCopyTable();

} // namespace vardelo::bench

#pragma once

#include <QString>

namespace vardelo::bench {

/// The program's own windows with a large collection: reading the box's exact text against Qt's raw text,
/// saving 53 MB while copies go on, peak memory, and showing a 30 MB entry. Each part runs in a child
/// process of its own, so that its peak memory is its own.

/// Whether mode names one of these children.
bool isLargeDocumentChild(const QString& mode);
/// Runs a child and prints its figures, one "name value" a line; returns its exit code.
int runLargeDocumentChild(const QString& mode);
/// Runs the children and prints their table.
void printLargeDocumentTable();

} // namespace vardelo::bench

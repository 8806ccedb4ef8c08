#pragma once

#include <QString>

#include "platform/Outcome.h"

namespace vardelo {

/// A text read and written only as a whole string, kept exactly as set.
class TextHolder
{
public:
    virtual ~TextHolder() = default;

    virtual Result<QString> text() const = 0;
    virtual Status setText(const QString& text) = 0;
};

/// The collection document: a whole-string text that also grows at its end, at the cost of what is added
/// rather than of the whole document.
class CollectionDocument : public TextHolder
{
public:
    /// Adds text at the end, exactly as given.
    virtual Status append(const QString& text) = 0;
    /// Adds two texts at the end, one after the other: both, or on failure neither. Joined first here; a
    /// document that can take them apart spares a copy of a large text.
    virtual Status append(const QString& first, const QString& second) { return append(first + second); }
};

} // namespace vardelo

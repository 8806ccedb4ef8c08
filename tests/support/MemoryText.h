#pragma once

#include "collect/TextHolder.h"

namespace vardelo::test {

/// A collection document in memory whose reads and writes fail on demand.
class MemoryText final : public CollectionDocument
{
public:
    using CollectionDocument::append;

    Result<QString> text() const override
    {
        if (failReads) {
            return Result<QString>::failure(QStringLiteral("не читается"));
        }
        return value;
    }
    Status setText(const QString& text) override
    {
        if (failWrites) {
            return Status::failure(QStringLiteral("не пишется"));
        }
        value = text;
        return Status::success();
    }
    Status append(const QString& text) override
    {
        if (failWrites) {
            return Status::failure(QStringLiteral("не пишется"));
        }
        value += text;
        return Status::success();
    }

    QString value;
    bool failReads = false;
    bool failWrites = false;
};

} // namespace vardelo::test

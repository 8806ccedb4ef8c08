#pragma once

#include <optional>
#include <utility>

#include <QString>

namespace vardelo {

/// The outcome of an operation that gives nothing back: success, or a failure with a reason the user can read.
class [[nodiscard]] Status
{
public:
    static Status success() { return Status(); }
    static Status failure(QString reason) { return Status(std::move(reason)); }

    bool ok() const { return !m_failed; }
    /// Why the operation failed, in Russian; empty on success.
    const QString& reason() const { return m_reason; }

private:
    Status() = default;
    explicit Status(QString reason)
        : m_failed(true)
        , m_reason(std::move(reason))
    { }

    bool m_failed = false;
    QString m_reason;
};

/// A value, or the reason it could not be had.
template <typename T> class [[nodiscard]] Result
{
public:
    Result(T value)
        : m_value(std::move(value))
    { }
    static Result failure(QString reason)
    {
        Result result;
        result.m_reason = std::move(reason);
        return result;
    }

    bool ok() const { return m_value.has_value(); }
    const T& value() const { return *m_value; }
    const QString& reason() const { return m_reason; }
    Status status() const { return ok() ? Status::success() : Status::failure(m_reason); }

private:
    Result() = default;

    std::optional<T> m_value;
    QString m_reason;
};

} // namespace vardelo

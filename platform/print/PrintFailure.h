#pragma once

#include <QString>

namespace vardelo {

/// Why a print failed, as the user is told it.
enum class PrintFailure
{
    NoDefaultPrinter,
    /// The printing system does not answer.
    ServiceUnavailable,
    /// The queue takes no jobs (rejecting, as with cupsreject).
    Rejecting,
    /// The printer is stopped: a job would only wait in its queue.
    Stopped,
    /// The printer went away after it was chosen.
    Vanished,
    NotAllowed,
    /// The printing system took the job but could not keep or pass on the document.
    SpoolFailed,
    /// The pages could not be made.
    NotPainted,
};

/// The Russian sentence for a print that failed on printer (empty when there was none to name), with what
/// the printing system said where it said something.
[[nodiscard]] QString printFailureText(PrintFailure failure, const QString& printer, const QString& detail = {});

} // namespace vardelo

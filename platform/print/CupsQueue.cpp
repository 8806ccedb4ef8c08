#include "platform/print/CupsQueue.h"

#include <algorithm>

#include <cups/cups.h>

#include <QSizeF>

#include "platform/print/PrintFailure.h"

namespace vardelo {

namespace {

constexpr char DocumentName[] = "Vardelo";

struct DestFree
{
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};
using Dest = std::unique_ptr<cups_dest_t, DestFree>;

/// What the last CUPS call's failure means for the user.
QString lastFailure(const QString& printer)
{
    const QString detail = QString::fromUtf8(cupsLastErrorString());
    switch (cupsLastError()) {
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
        return printFailureText(PrintFailure::Rejecting, printer);
    case IPP_STATUS_ERROR_NOT_FOUND:
        return printFailureText(PrintFailure::Vanished, printer);
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
    case IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED:
        return printFailureText(PrintFailure::NotAllowed, printer, detail);
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
        return printFailureText(PrintFailure::ServiceUnavailable, printer);
    default:
        return printFailureText(PrintFailure::SpoolFailed, printer, detail);
    }
}

/// The system's default printer as the scheduler names it, which it gives also while that printer rejects
/// jobs; empty when there is none or the scheduler does not answer (cupsLastError() tells which).
QString systemDefault()
{
    ipp_t* answer = cupsDoRequest(CUPS_HTTP_DEFAULT, ippNewRequest(IPP_OP_CUPS_GET_DEFAULT), "/");
    QString name;
    if (ipp_attribute_t* attribute = ippFindAttribute(answer, "printer-name", IPP_TAG_NAME)) {
        name = QString::fromUtf8(ippGetString(attribute, 0, nullptr));
    }
    ippDelete(answer);
    return name;
}

QPageSize defaultPaper(cups_dest_t* dest)
{
    cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
    cups_size_t size {};
    const bool known = info != nullptr && cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, 0, &size) != 0
        && size.width > 0 && size.length > 0;
    cupsFreeDestInfo(info);
    // Sizes come in hundredths of a millimetre; a standard size is known by its name.
    return known ? QPageSize(
               QSizeF(size.width / 100.0, size.length / 100.0), QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch)
                 : QPageSize(QPageSize::A4);
}

QString option(const cups_dest_t& dest, const char* name)
{
    return QString::fromUtf8(cupsGetOption(name, dest.num_options, dest.options));
}

} // namespace

Result<CupsQueue> CupsQueue::findDefault()
{
    Dest dest(cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr));
    if (!dest) {
        // CUPS finds no default this way while the default printer rejects jobs; the scheduler still names it.
        const QString name = systemDefault();
        if (name.isEmpty()) {
            return Result<CupsQueue>::failure(cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE
                    ? printFailureText(PrintFailure::ServiceUnavailable, QString())
                    : printFailureText(PrintFailure::NoDefaultPrinter, QString()));
        }
        dest.reset(cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.toUtf8().constData(), nullptr));
        if (!dest) {
            return Result<CupsQueue>::failure(lastFailure(name));
        }
    }
    const QString printer = QString::fromUtf8(dest->name);
    if (option(*dest, "printer-is-accepting-jobs") == QLatin1String("false")) {
        return Result<CupsQueue>::failure(printFailureText(PrintFailure::Rejecting, printer));
    }
    if (option(*dest, "printer-state") == QString::number(IPP_PSTATE_STOPPED)) {
        return Result<CupsQueue>::failure(printFailureText(PrintFailure::Stopped, printer));
    }
    return CupsQueue {printer, defaultPaper(dest.get())};
}

Result<std::unique_ptr<CupsJob>> CupsJob::start(const CupsQueue& queue)
{
    const QByteArray name = queue.printer.toUtf8();
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, name.constData(), DocumentName, 0, nullptr);
    if (job == 0) {
        return Result<std::unique_ptr<CupsJob>>::failure(lastFailure(queue.printer));
    }
    std::unique_ptr<CupsJob> created(new CupsJob(queue.printer, job));
    if (cupsStartDocument(CUPS_HTTP_DEFAULT, name.constData(), job, DocumentName, CUPS_FORMAT_PDF, 1)
        != HTTP_STATUS_CONTINUE) {
        return Result<std::unique_ptr<CupsJob>>::failure(lastFailure(queue.printer));
    }
    created->open(QIODevice::WriteOnly);
    return created;
}

CupsJob::CupsJob(QString printer, int job)
    : m_printer(std::move(printer))
    , m_job(job)
{ }

CupsJob::~CupsJob()
{
    if (m_handedOver) {
        return;
    }
    // A job half sent is taken back rather than left to print what it holds; its document is ended first,
    // as the connection carries nothing else until then.
    const QByteArray printer = m_printer.toUtf8();
    if (m_documentOpen) {
        cupsFinishDocument(CUPS_HTTP_DEFAULT, printer.constData());
    }
    cupsCancelJob2(CUPS_HTTP_DEFAULT, printer.constData(), m_job, 0);
}

qint64 CupsJob::readData(char* /*data*/, qint64 /*maxSize*/)
{
    return -1;
}

qint64 CupsJob::writeData(const char* data, qint64 size)
{
    if (!m_health.ok()) {
        return -1;
    }
    for (qint64 sent = 0; sent < size;) {
        const auto part = static_cast<size_t>(std::min<qint64>(size - sent, 1 << 20));
        if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, data + sent, part) != HTTP_STATUS_CONTINUE) {
            m_health = Status::failure(lastFailure(m_printer));
            return -1;
        }
        sent += static_cast<qint64>(part);
    }
    return size;
}

Status CupsJob::finish()
{
    if (!m_health.ok()) {
        return m_health;
    }
    close();
    m_documentOpen = false;
    if (cupsFinishDocument(CUPS_HTTP_DEFAULT, m_printer.toUtf8().constData()) > IPP_STATUS_OK_EVENTS_COMPLETE) {
        return Status::failure(lastFailure(m_printer));
    }
    m_handedOver = true;
    return Status::success();
}

} // namespace vardelo

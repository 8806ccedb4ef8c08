#pragma once

#include <memory>

#include <QIODevice>
#include <QPageSize>
#include <QString>

#include "platform/Outcome.h"

namespace vardelo {

/// The default printer's queue through CUPS's own API, which tells whether each step of a job was taken: the
/// printer's name, its paper, and whether it takes jobs now.
struct CupsQueue
{
    QString printer;
    QPageSize paper;

    /// The default printer (the user's own choice first, as lpoptions and LPDEST give it, then the system's),
    /// if it is there and takes jobs now: a queue that rejects jobs or a stopped printer fails here.
    static Result<CupsQueue> findDefault();
};

/// A job on a CUPS queue whose one document, a PDF, is written to this device as it is made and sent on at
/// once, so that it is never held whole. The job is the spooler's once finish() succeeds; until then, and on
/// any failure, it is cancelled when this goes. Used on one thread.
class CupsJob final : public QIODevice
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CupsJob)

public:
    /// Creates the job and starts its document.
    static Result<std::unique_ptr<CupsJob>> start(const CupsQueue& queue);
    ~CupsJob() override;

    /// Whether every write so far was taken, with the reason of the first that was not.
    Status health() const { return m_health; }
    /// Ends the document and so hands the job to the spooler; fails when the spooler did not take it.
    Status finish();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    CupsJob(QString printer, int job);

    const QString m_printer;
    const int m_job;
    bool m_documentOpen = true;
    bool m_handedOver = false;
    Status m_health = Status::success();
};

} // namespace vardelo

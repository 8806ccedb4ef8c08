#include "platform/print/DocumentPrinter.h"

namespace vardelo {

void DocumentPrinter::print(TextPieces source, Ended ended)
{
    m_jobs.run([source = std::move(source), ended = std::move(ended)]() mutable -> std::function<void()> {
        const Status printed = printOnDefaultPrinter(std::move(source));
        return [ended = std::move(ended), printed] { ended(printed); };
    });
}

} // namespace vardelo

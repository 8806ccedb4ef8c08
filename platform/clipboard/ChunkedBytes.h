#pragma once

#include <deque>

#include <QByteArray>
#include <QByteArrayView>

namespace vardelo {

/// Bytes that arrive in chunks, as a large clipboard text does, kept in pieces that never grow past what they
/// reserved: a single array would be moved in memory each time it grew, and at hundreds of megabytes each move
/// holds up the event loop for a noticeable while and needs twice the memory meanwhile.
class ChunkedBytes final
{
public:
    /// The first piece takes at least this many bytes without moving, as when the size is announced.
    void expect(qsizetype bytes) { m_expected = bytes; }
    void append(QByteArrayView chunk);
    qsizetype size() const { return m_size; }

    /// All the bytes as one array; leaves this empty.
    [[nodiscard]] QByteArray takeAll();
    /// The oldest piece; nothing once all are taken.
    [[nodiscard]] QByteArray takePiece();
    void clear();

private:
    std::deque<QByteArray> m_pieces;
    qsizetype m_size = 0;
    qsizetype m_expected = 0;
};

} // namespace vardelo

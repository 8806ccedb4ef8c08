#pragma once

#include <deque>

#include <QByteArray>
#include <QByteArrayView>

namespace vardelo {

/// Bytes that arrive in chunks, as a large clipboard text does, kept in pieces that never grow past what they
/// reserved: a single array would be moved in memory each time it grew, and at hundreds of megabytes each move
/// holds up the event loop for a noticeable while and needs twice the memory meanwhile. The pieces are taken
/// one by one, and each piece's memory goes back to the system as soon as the piece goes, so that a text
/// decoded a piece at a time never holds its bytes and its text whole at once.
class ChunkedBytes final
{
public:
    /// A piece of the bytes in memory of its own.
    class Piece final
    {
    public:
        Piece() = default;
        explicit Piece(qsizetype capacity);
        ~Piece();
        Piece(Piece&& other) noexcept;
        Piece& operator=(Piece&& other) noexcept;
        Piece(const Piece&) = delete;
        Piece& operator=(const Piece&) = delete;

        QByteArrayView bytes() const { return QByteArrayView(m_data, m_size); }
        qsizetype size() const { return m_size; }
        qsizetype capacity() const { return m_capacity; }
        /// Appends as much of chunk as fits; how much that was.
        qsizetype append(QByteArrayView chunk);

    private:
        char* m_data = nullptr;
        qsizetype m_size = 0;
        qsizetype m_capacity = 0;
    };

    void append(QByteArrayView chunk);
    qsizetype size() const { return m_size; }

    /// All the bytes as one array, for a small answer; leaves this empty.
    [[nodiscard]] QByteArray takeAll();
    /// The oldest piece; an empty one once all are taken.
    [[nodiscard]] Piece takePiece();
    void clear();

private:
    std::deque<Piece> m_pieces;
    qsizetype m_size = 0;
};

} // namespace vardelo

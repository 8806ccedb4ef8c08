#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace vardelo {

/// The atoms a selection transfer names, as numbers the X server gave them; 0 where the server has none.
struct SelectionAtoms
{
    std::uint32_t utf8String = 0;
    std::uint32_t string = 31; // predefined by the core protocol
    std::uint32_t text = 0;
    std::uint32_t compoundText = 0;
    std::uint32_t incr = 0;
};

/// Decodes a selection's bytes by the type the owner gave them: UTF8_STRING as UTF-8 exactly, STRING as
/// Latin-1, COMPOUND_TEXT in its Latin-1 and UTF-8 parts. Nothing for any other type: some owners answer
/// every target with what they hold, a picture included.
[[nodiscard]] std::optional<QString> decodeSelectionText(
    const SelectionAtoms& atoms, std::uint32_t type, QByteArrayView bytes);

/// The steps of reading one owner's text from the X selection, without the X connection: the caller
/// performs what each step asks and reports what the server answered.
///
/// Asks for UTF8_STRING, then STRING, TEXT and COMPOUND_TEXT in turn while the owner refuses. An owner that
/// refuses them all holds no text, which reads as the empty string; one whose text cannot be decoded cannot
/// be read. Large texts come in chunks (INCR): the caller deletes the property as it reads each, and a
/// chunk of no bytes ends the text.
class SelectionTransfer final
{
public:
    /// What the caller does next.
    enum class Step
    {
        /// Send ConvertSelection for target() and report the SelectionNotify to conversionAnswered().
        Convert,
        /// Read the property and delete it, and report what it held to propertyRead().
        ReadProperty,
        /// Wait for the owner to put the next chunk in the property (PropertyNotify, new value).
        WaitForChunk,
        /// text() holds the owner's text.
        Finished,
        /// The owner broke off a chunked answer. It may still write to the property, so the caller leaves
        /// that property to it and later asks again on another one (retry()).
        BrokenOff,
        /// The owner's text cannot be decoded; asking again would give the same.
        Undecodable,
    };

    explicit SelectionTransfer(const SelectionAtoms& atoms);

    /// Begins with the most wanted target.
    Step start();
    /// Asks again for the target last asked for, after the caller stopped waiting for its answer or after
    /// BrokenOff.
    Step retry();
    /// The owner answered the conversion; withProperty is false when it refused.
    Step conversionAnswered(bool withProperty);
    /// The property held these bytes of this type and format (type 0: it did not exist).
    Step propertyRead(std::uint32_t type, std::uint8_t format, QByteArrayView bytes);
    /// The owner put a new value in the property; only a chunked transfer waits for that, but its first
    /// notice may come before the answer that starts it has been read.
    Step chunkAnnounced();

    Step step() const { return m_step; }
    /// The target that Convert asks for.
    std::uint32_t target() const { return m_targetIndex < m_targets.size() ? m_targets[m_targetIndex] : 0; }
    /// Whether the answer under way comes in chunks.
    bool chunked() const { return m_chunked; }
    /// A chunk was announced that has not been asked to be read yet.
    bool chunkPending() const { return m_chunkWaiting; }
    /// The owner's text once Finished.
    const QString& text() const { return m_text; }

private:
    Step textAnswered(std::uint32_t type, std::uint8_t format, QByteArrayView bytes);
    Step nextTarget();
    Step finish(const QString& text);
    void forgetChunks();

    SelectionAtoms m_atoms;
    /// The text targets to ask for, most wanted first.
    std::vector<std::uint32_t> m_targets;
    std::size_t m_targetIndex = 0;
    Step m_step = Step::Convert;
    /// An answer of a text type did not decode.
    bool m_undecodable = false;
    /// Set while a chunked transfer runs.
    bool m_chunked = false;
    /// A chunk was announced while the previous one was still being read.
    bool m_chunkWaiting = false;
    std::uint32_t m_chunkType = 0;
    std::uint8_t m_chunkFormat = 0;
    QByteArray m_bytes;
    QString m_text;
};

} // namespace vardelo

#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "platform/clipboard/ChunkedBytes.h"
#include "platform/clipboard/SlicedTextDecoder.h"

namespace vardelo {

/// The atoms a selection transfer names, as numbers the X server gave them; 0 where the server has none.
struct SelectionAtoms
{
    std::uint32_t utf8String = 0;
    std::uint32_t string = 31; // predefined by the core protocol
    std::uint32_t text = 0;
    std::uint32_t compoundText = 0;
    std::uint32_t incr = 0;
    std::uint32_t targets = 0;
    std::uint32_t atom = 4; // predefined by the core protocol
    /// The password managers' mark (PasswordManagerHint).
    std::uint32_t passwordHint = 0;
};

/// Decodes a selection's bytes by the type the owner gave them: UTF8_STRING as UTF-8 exactly, STRING as
/// Latin-1, COMPOUND_TEXT in its Latin-1 and UTF-8 parts. Nothing for any other type: some owners answer
/// every target with what they hold, a picture included.
[[nodiscard]] std::optional<QString> decodeSelectionText(
    const SelectionAtoms& atoms, std::uint32_t type, QByteArrayView bytes);

/// The steps of reading one owner's clipboard from the X selection, without the X connection: the caller
/// performs what each step asks and reports what the server answered.
///
/// Asks for TARGETS first. An owner that offers the password managers' mark and gives "secret" for it is
/// read no further; so is one that offers the mark and then withholds it. Otherwise asks for the text
/// targets the owner offers (all of them when it does not say), UTF8_STRING, then STRING, TEXT and
/// COMPOUND_TEXT in turn while it refuses. An owner that offers no text target, or does not say and refuses
/// them all, holds no text, which reads as the empty string; one that offers text targets and refuses them all
/// refused, and one whose text cannot be decoded cannot be read. Large answers come in chunks (INCR): the
/// caller deletes the property as it reads each, and a chunk of no bytes ends the answer. An answer of more
/// than MaxClipboardBytes is given up with its bytes freed. A large UTF-8 or Latin-1 text is decoded a slice
/// per turn of the caller's event loop, each piece of its bytes freed once decoded; chunks are never joined.
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
        /// The whole answer is read; call decodeSome() on a later turn of the event loop, until it is Finished.
        Decode,
        /// text() holds the owner's text, or secret() says it holds a secret.
        Finished,
        /// The owner broke off a chunked answer. It may still write to the property, so the caller leaves
        /// that property to it and later asks again on another one (retry()).
        BrokenOff,
        /// The owner's text cannot be decoded; asking again would give the same.
        Undecodable,
        /// The owner offered text and refused every text target; it may answer when asked again (retry()).
        Refused,
        /// The answer is larger than MaxClipboardBytes; asking again would give the same. Where it came in
        /// chunks (chunked()), the owner waits for the property to be deleted before it sends the next one.
        TooLarge,
    };

    explicit SelectionTransfer(const SelectionAtoms& atoms);

    /// Begins with TARGETS.
    Step start();
    /// Asks again for the target last asked for, after the caller stopped waiting for its answer or after
    /// BrokenOff, or for the first text target after Refused. What the owner already told (its targets, its
    /// mark) stands.
    Step retry();
    /// The owner answered the conversion; withProperty is false when it refused.
    Step conversionAnswered(bool withProperty);
    /// The property held these bytes of this type and format (type 0: it did not exist). The caller reads no
    /// more than MaxClipboardBytes and a little over, so that an answer over the limit shows.
    Step propertyRead(std::uint32_t type, std::uint8_t format, QByteArrayView bytes);
    /// The owner put a new value in the property; only a chunked transfer waits for that, but its first
    /// notice may come before the answer that starts it has been read.
    Step chunkAnnounced();
    /// Decodes the next slice of the text read.
    Step decodeSome();

    Step step() const { return m_step; }
    /// The target that Convert asks for.
    std::uint32_t target() const;
    /// Whether the answer under way comes in chunks.
    bool chunked() const { return m_chunked; }
    /// A chunk was announced that has not been asked to be read yet.
    bool chunkPending() const { return m_chunkWaiting; }
    /// The owner's text once Finished; empty for a secret, which is never fetched.
    const QString& text() const { return m_text; }
    /// Once Finished: the owner marked what it holds as secret.
    bool secret() const { return m_secret; }

private:
    enum class Phase
    {
        Targets,
        Mark,
        Text,
    };

    Step answered(std::uint32_t type, std::uint8_t format, ChunkedBytes bytes);
    Step targetsAnswered(std::uint32_t type, std::uint8_t format, QByteArrayView bytes);
    Step textAnswered(std::uint32_t type, std::uint8_t format, ChunkedBytes bytes);
    Step askForText();
    Step nextTarget();
    Step finish(const QString& text, bool secret = false);
    void forgetChunks();

    SelectionAtoms m_atoms;
    Phase m_phase = Phase::Targets;
    /// The text targets to ask for, most wanted first.
    std::vector<std::uint32_t> m_targets;
    std::size_t m_targetIndex = 0;
    Step m_step = Step::Convert;
    /// An answer of a text type did not decode.
    bool m_undecodable = false;
    /// The text targets come from the owner's own list.
    bool m_listed = false;
    /// Set while a chunked transfer runs.
    bool m_chunked = false;
    /// A chunk was announced while the previous one was still being read.
    bool m_chunkWaiting = false;
    std::uint32_t m_chunkType = 0;
    std::uint8_t m_chunkFormat = 0;
    /// A chunked answer so far.
    ChunkedBytes m_bytes;
    SlicedTextDecoder m_decoder;
    QString m_text;
    bool m_secret = false;
};

} // namespace vardelo

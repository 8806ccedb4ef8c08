#pragma once

#include <QByteArrayView>

class QMimeData;

namespace vardelo {

/// The format in which password managers on Linux desktops mark what they copy: it holds "secret" for a
/// password that clipboard tools must not keep.
inline constexpr char PasswordManagerHint[] = "x-kde-passwordManagerHint";

/// Whether the value of the password managers' hint marks the clipboard's content as secret.
[[nodiscard]] bool isSecretHint(QByteArrayView value);

/// Whether clipboard data carries a mark that keeps it out of clipboard tools: the password managers' hint,
/// or on Windows a format that tells clipboard monitors and the clipboard history to leave it alone.
[[nodiscard]] bool isMarkedSecret(const QMimeData& data);

} // namespace vardelo

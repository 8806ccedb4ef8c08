#pragma once

#include <QByteArrayView>

class QMimeData;

namespace vardelo {

/// The format in which password managers on Linux desktops mark what they copy: it holds "secret" for a
/// password that clipboard tools must not keep.
inline constexpr char PasswordManagerHint[] = "x-kde-passwordManagerHint";

/// Windows formats whose mere presence keeps a clipboard's content away from clipboard monitors.
inline constexpr const char* WindowsMonitorExclusions[]
    = {"ExcludeClipboardContentFromMonitorProcessing", "Clipboard Viewer Ignore"};
/// The Windows format that holds a DWORD saying whether the content may go into the clipboard history.
inline constexpr char WindowsHistoryPermission[] = "CanIncludeInClipboardHistory";

/// Whether the value of the password managers' hint marks the clipboard's content as secret.
[[nodiscard]] bool isSecretHint(QByteArrayView value);

/// Whether the value of the Windows history format keeps the content out of the history: a DWORD of 0.
[[nodiscard]] bool isHistoryRefusal(QByteArrayView value);

/// Whether clipboard data carries a mark that keeps it out of clipboard tools: the password managers' hint,
/// or on Windows a format that tells clipboard monitors and the clipboard history to leave it alone.
[[nodiscard]] bool isMarkedSecret(const QMimeData& data);

} // namespace vardelo

#pragma once

#include <vector>

#include <QString>
#include <QStringView>

namespace vardelo {

/// Keeps a text exactly while a Qt text widget shows it.
///
/// Qt's text documents turn every line end (CR LF, CR, LF, U+2029 and the frame marks U+FDD0/U+FDD1) into
/// one block break, so what they give back is not what was put in. The mirror holds the exact text and
/// knows, for each block break of the widget, whether it stands for two characters (CR LF) or one, so
/// positions map between the two in O(log n) and edits cost what they change.
class ExactTextMirror final
{
public:
    /// The character a widget shows for every line end.
    static constexpr char16_t BlockBreak = u'\u2029';

    const QString& text() const { return m_text; }
    /// How many characters the widget shows for this text.
    qsizetype widgetLength() const { return m_widgetLength; }
    /// How many characters a widget shows for the given text once inserted.
    [[nodiscard]] static qsizetype widgetLengthOf(QStringView exact);

    /// The exact position that a widget position stands for.
    [[nodiscard]] qsizetype toExact(qsizetype widgetPosition) const;
    /// The exact text between two widget positions.
    [[nodiscard]] QString exactRange(qsizetype widgetFrom, qsizetype widgetTo) const;
    /// What the widget shows between two widget positions.
    [[nodiscard]] QString widgetRange(qsizetype widgetFrom, qsizetype widgetTo) const;

    void reset(const QString& exact);
    /// Records that exact was inserted into the widget at widgetPosition, exactly as given.
    void insertExact(qsizetype widgetPosition, const QString& exact);
    /// Records an edit made in the widget: removed widget characters at widgetPosition replaced by what the
    /// widget now shows there. Parts that did not really change keep their exact line ends; new block breaks
    /// become CR LF, as Enter does in a classic edit box.
    void applyWidgetEdit(qsizetype widgetPosition, qsizetype removed, QStringView shownNow);

private:
    void replace(qsizetype widgetFrom, qsizetype widgetTo, const QString& exact);

    QString m_text;
    qsizetype m_widgetLength = 0;
    /// Widget positions, ascending, of the block breaks that stand for CR LF.
    std::vector<qsizetype> m_crlfBreaks;
};

} // namespace vardelo

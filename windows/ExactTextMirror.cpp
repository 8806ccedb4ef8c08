#include "windows/ExactTextMirror.h"

#include <algorithm>

namespace vardelo {

namespace {

enum class BlockBreakKind
{
    None,
    Single,
    CrLf,
};

bool isLineEnd(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == ExactTextMirror::BlockBreak || c == u'\uFDD0' || c == u'\uFDD1';
}

/// Walks exact text as a Qt document splits it: a CR LF pair is one block break.
template <typename Visit> void forEachWidgetCharacter(QStringView exact, Visit visit)
{
    qsizetype widget = 0;
    for (qsizetype i = 0; i < exact.size(); ++i, ++widget) {
        const char16_t c = exact[i].unicode();
        if (c == u'\r' && i + 1 < exact.size() && exact[i + 1] == u'\n') {
            visit(widget, BlockBreakKind::CrLf);
            ++i;
        } else {
            visit(widget, isLineEnd(c) ? BlockBreakKind::Single : BlockBreakKind::None);
        }
    }
}

} // namespace

qsizetype ExactTextMirror::widgetLengthOf(QStringView exact)
{
    return exact.size() - exact.count(u"\r\n");
}

qsizetype ExactTextMirror::toExact(qsizetype widgetPosition) const
{
    const auto before = std::lower_bound(m_crlfBreaks.begin(), m_crlfBreaks.end(), widgetPosition);
    return widgetPosition + (before - m_crlfBreaks.begin());
}

QString ExactTextMirror::exactRange(qsizetype widgetFrom, qsizetype widgetTo) const
{
    const qsizetype from = toExact(widgetFrom);
    return m_text.mid(from, toExact(widgetTo) - from);
}

QString ExactTextMirror::widgetRange(qsizetype widgetFrom, qsizetype widgetTo) const
{
    QString shown;
    shown.reserve(widgetTo - widgetFrom);
    auto crlf = std::lower_bound(m_crlfBreaks.begin(), m_crlfBreaks.end(), widgetFrom);
    qsizetype exact = toExact(widgetFrom);
    for (qsizetype widget = widgetFrom; widget < widgetTo; ++widget) {
        // Use the recorded breaks, not a fresh parse: a lone CR followed by a lone LF is two breaks here.
        if (crlf != m_crlfBreaks.end() && *crlf == widget) {
            shown.append(QChar(BlockBreak));
            exact += 2;
            ++crlf;
            continue;
        }
        const char16_t c = m_text[exact++].unicode();
        shown.append(QChar(isLineEnd(c) ? BlockBreak : c));
    }
    return shown;
}

void ExactTextMirror::reset(const QString& exact)
{
    m_text.clear();
    m_crlfBreaks.clear();
    m_widgetLength = 0;
    insertExact(0, exact);
}

void ExactTextMirror::insertExact(qsizetype widgetPosition, const QString& exact)
{
    replace(widgetPosition, widgetPosition, exact);
}

void ExactTextMirror::applyWidgetEdit(qsizetype widgetPosition, qsizetype removed, QStringView shownNow)
{
    // Qt sometimes reports a wider range than changed (formats, the first block); trim what stayed the same
    // so that untouched line ends keep their exact form.
    const QString shownBefore = widgetRange(widgetPosition, widgetPosition + removed);
    const QStringView before(shownBefore);
    qsizetype prefix = 0;
    while (prefix < before.size() && prefix < shownNow.size() && before[prefix] == shownNow[prefix]) {
        ++prefix;
    }
    qsizetype suffix = 0;
    while (suffix < before.size() - prefix && suffix < shownNow.size() - prefix
        && before[before.size() - 1 - suffix] == shownNow[shownNow.size() - 1 - suffix]) {
        ++suffix;
    }
    QString inserted = shownNow.mid(prefix, shownNow.size() - prefix - suffix).toString();
    inserted.replace(QChar(BlockBreak), QStringLiteral("\r\n"));
    replace(widgetPosition + prefix, widgetPosition + removed - suffix, inserted);
}

void ExactTextMirror::replace(qsizetype widgetFrom, qsizetype widgetTo, const QString& exact)
{
    const qsizetype exactFrom = toExact(widgetFrom);
    m_text.replace(exactFrom, toExact(widgetTo) - exactFrom, exact);

    std::vector<qsizetype> added;
    qsizetype addedLength = 0;
    forEachWidgetCharacter(exact, [&](qsizetype widget, BlockBreakKind kind) {
        if (kind == BlockBreakKind::CrLf) {
            added.push_back(widgetFrom + widget);
        }
        addedLength = widget + 1;
    });

    const auto first = std::lower_bound(m_crlfBreaks.begin(), m_crlfBreaks.end(), widgetFrom);
    const auto last = std::lower_bound(first, m_crlfBreaks.end(), widgetTo);
    const qsizetype shift = addedLength - (widgetTo - widgetFrom);
    std::for_each(last, m_crlfBreaks.end(), [shift](qsizetype& at) { at += shift; });
    const auto gap = m_crlfBreaks.erase(first, last);
    m_crlfBreaks.insert(gap, added.begin(), added.end());
    m_widgetLength += shift;
}

} // namespace vardelo

#include <atomic>
#include <thread>

#include <future>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include "windows/DocumentBox.h"

using namespace vardelo;

namespace {

bool isLineEnd(QChar c)
{
    return c == u'\n' || c == u'\r' || c == u'\u2029' || c == u'\uFDD0' || c == u'\uFDD1';
}

/// What the box shows for an exact text: one paragraph separator for each line end, CR LF included.
QString shownFormOf(const QString& exact)
{
    QString shown = exact;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\u2029"));
    for (QChar& c : shown) {
        c = isLineEnd(c) ? QChar(u'\u2029') : c;
    }
    return shown;
}

/// What the user has done to the box, as a list of what stands at each position the widget has: one
/// character, or the line end that one break stands for. A CR that comes to stand before an LF makes one
/// CR LF with it, as in the saved file. Undo may take back several steps at once, as Qt joins typing, so it
/// is checked to land on a state the user saw before.
class Model final
{
public:
    using Cells = QStringList;

    static Cells cellsOf(QStringView exact)
    {
        Cells cells;
        for (qsizetype i = 0; i < exact.size(); ++i) {
            const qsizetype length = exact[i] == u'\r' && i + 1 < exact.size() && exact[i + 1] == u'\n' ? 2 : 1;
            cells.append(exact.sliced(i, length).toString());
            i += length - 1;
        }
        return cells;
    }

    qsizetype size() const { return m_cells.size(); }
    QString exact() const { return m_cells.join(QString()); }
    /// What the widget shows for the first `length` positions.
    QString shown(int length) const
    {
        QString shown;
        for (const QString& cell : m_cells.first(length)) {
            shown += isLineEnd(cell.front()) ? QChar(u'\u2029') : cell.front();
        }
        return shown;
    }
    QString exact(int from, int to) const { return m_cells.mid(from, to - from).join(QString()); }

    /// The user replaces [from, to) with exact text.
    void edit(int from, int to, const QString& exact)
    {
        m_undo.append(m_cells);
        m_redo.clear();
        m_cells = cellsOf(this->exact(0, from) + exact + this->exact(to, int(size())));
    }
    /// The program appends, or empties the box: neither is undone, and what the user could undo is gone.
    void append(const QString& exact)
    {
        m_cells = cellsOf(this->exact() + exact);
        forgetHistory();
    }
    void clear()
    {
        m_cells.clear();
        forgetHistory();
    }

    /// Undo (or redo) changed the box to this: it must be a state the user had, most recent first.
    bool moveThroughHistory(bool undo, const QString& exactNow)
    {
        QList<Cells>& from = undo ? m_undo : m_redo;
        QList<Cells>& to = undo ? m_redo : m_undo;
        if (exactNow == exact()) {
            return true; // nothing to take back
        }
        for (qsizetype i = from.size() - 1; i >= 0; --i) {
            to.append(m_cells);
            m_cells = from.takeLast();
            if (m_cells.join(QString()) == exactNow) {
                return true;
            }
        }
        return false;
    }

private:
    void forgetHistory()
    {
        m_undo.clear();
        m_redo.clear();
    }

    Cells m_cells;
    QList<Cells> m_undo;
    QList<Cells> m_redo;
};

/// One step of what a user does in the box, or the program's append, mirrored on the model.
class RandomSession final
{
public:
    RandomSession(DocumentBox& box, quint32 seed)
        : m_box(box)
        , m_random(seed)
    {
        QApplication::clipboard()->clear();
    }

    /// Does one step and returns what it was, for the failure message.
    QString step()
    {
        m_problem.clear();
        // A large document is soon cleared away again, so every step's checks stay cheap.
        if (m_model.size() > 20'000 && m_random.bounded(3) == 0) {
            return clear();
        }
        const int shown = m_box.document()->characterCount() - 1;
        const bool editable = !m_box.isReadOnly();
        switch (m_random.bounded(15)) {
        case 0:
            return type(editable);
        case 1:
            return key(Qt::Key_Return, editable, QStringLiteral("\r\n"));
        case 2:
            return deleteKey(Qt::Key_Backspace, editable, shown);
        case 3:
            return deleteKey(Qt::Key_Delete, editable, shown);
        case 4:
            select(shown);
            return type(editable);
        case 5:
            select(shown);
            return deleteKey(Qt::Key_Delete, editable, shown);
        case 6:
            select(shown);
            return clipboardKey(QKeySequence::Cut, editable);
        case 7:
            select(shown);
            return clipboardKey(QKeySequence::Copy, editable);
        case 8:
            if (m_random.bounded(2) == 0) {
                QApplication::clipboard()->setText(randomText(1 + m_random.bounded(12)));
            }
            placeCaret(shown);
            return clipboardKey(QKeySequence::Paste, editable);
        case 9:
            return moveByDrop(editable, shown);
        case 10:
            return undoKey(true);
        case 11:
            return undoKey(false);
        case 12:
            return inputMethodCommit(editable);
        case 13:
            return capture();
        default:
            QCoreApplication::processEvents(); // the box shows a slice of a large entry
            return m_random.bounded(40) == 0 ? clear() : QStringLiteral("event loop");
        }
    }

    const Model& model() const { return m_model; }
    /// What went wrong in the last step, besides the text: empty when nothing did.
    const QString& problem() const { return m_problem; }

private:
    /// Text a user copies elsewhere: letters and every kind of line end, NUL, NBSP and U+2028 among them.
    QString randomText(int length)
    {
        // A CR and an LF a character apart, so that deleting the character makes them meet.
        static const QStringList pieces {"a", "Ж", "\r\n", "\n", "\r", "\r\r\n", "\ra\n", QStringLiteral("\u2029"),
            QStringLiteral("\u2028"), QStringLiteral("\u00A0"), QString(QChar(0)), QStringLiteral("\uFDD0"), "\t", " "};
        QString text;
        for (int i = 0; i < length; ++i) {
            text += pieces.at(m_random.bounded(pieces.size()));
        }
        return text;
    }

    QString clear()
    {
        (void)m_box.setText(QString());
        m_model.clear();
        return QStringLiteral("New");
    }

    void placeCaret(int shown)
    {
        QTextCursor cursor = m_box.textCursor();
        cursor.setPosition(m_random.bounded(shown + 1));
        m_box.setTextCursor(cursor);
    }

    void select(int shown)
    {
        QTextCursor cursor = m_box.textCursor();
        if (m_random.bounded(8) == 0) {
            cursor.select(QTextCursor::Document);
        } else {
            cursor.setPosition(m_random.bounded(shown + 1));
            cursor.setPosition(m_random.bounded(shown + 1), QTextCursor::KeepAnchor);
        }
        m_box.setTextCursor(cursor);
    }

    QPair<int, int> selection() const
    {
        const QTextCursor cursor = m_box.textCursor();
        return {cursor.selectionStart(), cursor.selectionEnd()};
    }

    void send(int key, Qt::KeyboardModifiers modifiers, const QString& text = QString())
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(&m_box, &press);
        QApplication::sendEvent(&m_box, &release);
    }

    QString type(bool editable)
    {
        static const QString letters = QStringLiteral("abcЖжё \u00A0");
        const QString letter = letters.at(m_random.bounded(letters.size()));
        return key(Qt::Key_unknown, editable, letter, letter);
    }

    /// A key that replaces the selection, or inserts at the caret, with exact.
    QString key(int key, bool editable, const QString& exact, const QString& text = QString())
    {
        const auto [from, to] = selection();
        send(key, Qt::NoModifier, text);
        if (editable) {
            m_model.edit(from, to, exact);
        }
        return QStringLiteral("key %1 over %2..%3").arg(key).arg(from).arg(to);
    }

    QString deleteKey(int key, bool editable, int shown)
    {
        auto [from, to] = selection();
        if (from == to) {
            from = key == Qt::Key_Backspace ? std::max(0, from - 1) : from;
            to = key == Qt::Key_Backspace ? to : std::min(shown, to + 1);
        }
        send(key, Qt::NoModifier);
        if (editable && from != to) {
            m_model.edit(from, to, QString());
        }
        return QStringLiteral("%1 over %2..%3")
            .arg(key == Qt::Key_Backspace ? "Backspace" : "Delete")
            .arg(from)
            .arg(to);
    }

    QString clipboardKey(QKeySequence::StandardKey action, bool editable)
    {
        const auto [from, to] = selection();
        const QString selected = m_model.exact(from, to);
        const QMimeData* before = QApplication::clipboard()->mimeData();
        const QString pasted = before != nullptr && before->hasFormat(QLatin1String(DocumentBox::ExactTextMimeType))
            ? m_clipboard
            : QApplication::clipboard()->text();
        const QKeySequence sequence(action);
        send(sequence[0].key(), sequence[0].keyboardModifiers());
        const bool copies = action == QKeySequence::Copy || (action == QKeySequence::Cut && editable);
        if (action == QKeySequence::Paste && editable) {
            m_model.edit(from, to, pasted);
        } else if (copies && from != to) {
            m_clipboard = selected;
            // Other programs get the exact text as plain text, too.
            if (QApplication::clipboard()->text() != selected) {
                m_problem = QStringLiteral("the copied text is not exact");
            }
            if (action == QKeySequence::Cut) {
                m_model.edit(from, to, QString());
            }
        }
        return QStringLiteral("%1 over %2..%3").arg(sequence.toString()).arg(from).arg(to);
    }

    /// Qt moves a selection inside the box in one step, one edit block that removes the selection and inserts
    /// the dragged data where the drop lands, through the box's own insertion. Here the drop comes first, so
    /// that its point is read on the layout the user saw; the selection is taken away after it.
    QString moveByDrop(bool editable, int shown)
    {
        select(shown);
        const auto [from, to] = selection();
        QTextCursor target(m_box.document());
        target.setPosition(m_random.bounded(shown + 1));
        const QPoint at = m_box.cursorRect(target).center();
        const int landing = m_box.cursorForPosition(at).position();
        if (!editable || from == to || (landing >= from && landing <= to)) {
            return QStringLiteral("no drop");
        }
        // The box's own copy gives what a drag carries.
        m_box.copy();
        m_clipboard = m_model.exact(from, to);
        auto dragged = std::make_unique<QMimeData>();
        for (const QString& format : QApplication::clipboard()->mimeData()->formats()) {
            dragged->setData(format, QApplication::clipboard()->mimeData()->data(format));
        }
        QTextCursor step(m_box.document());
        step.beginEditBlock();
        QDragEnterEvent enter(at, Qt::CopyAction, dragged.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_box.viewport(), &enter);
        QDropEvent drop(at, Qt::CopyAction, dragged.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_box.viewport(), &drop);
        const int shift = landing <= from ? m_box.document()->characterCount() - 1 - shown : 0;
        QTextCursor selected(m_box.document());
        selected.setPosition(from + shift);
        selected.setPosition(to + shift, QTextCursor::KeepAnchor);
        selected.removeSelectedText();
        step.endEditBlock();
        const int size = int(m_model.size());
        m_model.edit(0, size,
            landing < from
                ? m_model.exact(0, landing) + m_clipboard + m_model.exact(landing, from) + m_model.exact(to, size)
                : m_model.exact(0, from) + m_model.exact(to, landing) + m_clipboard + m_model.exact(landing, size));
        return QStringLiteral("move %1..%2 to %3").arg(from).arg(to).arg(landing);
    }

    QString undoKey(bool undo)
    {
        send(Qt::Key_Z, undo ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
        if (!m_model.moveThroughHistory(undo, m_box.text().value())) {
            m_problem = QStringLiteral("it gave a text the user never had: ")
                + m_box.text().value().toUtf8().toPercentEncoding() + " model "
                + m_model.exact().toUtf8().toPercentEncoding();
        }
        return undo ? QStringLiteral("undo") : QStringLiteral("redo");
    }

    QString inputMethodCommit(bool editable)
    {
        // The desktop's input method talks only to a box that takes input, as a read-only one does not.
        if (!m_box.testAttribute(Qt::WA_InputMethodEnabled)) {
            return QStringLiteral("no input method");
        }
        const auto [from, to] = selection();
        QInputMethodEvent preedit(QStringLiteral("ni"), {});
        QApplication::sendEvent(&m_box, &preedit);
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("你好"));
        QApplication::sendEvent(&m_box, &commit);
        if (editable) {
            // Composing takes the selection away, one step; the commit inserts, another.
            if (from != to) {
                m_model.edit(from, to, QString());
            }
            m_model.edit(from, from, QStringLiteral("你好"));
        }
        return QStringLiteral("input method over %1..%2").arg(from).arg(to);
    }

    /// The program appends an entry: small ones at once, large ones a slice at a time. The user's selection
    /// keeps its ends; a caret at the end follows.
    QString capture()
    {
        QString entry = QStringLiteral("\r\n---------------\r\n") + randomText(1 + m_random.bounded(10));
        if (m_random.bounded(12) == 0) {
            // Long lines, so the check stays cheap; CR LF split where a slice may end.
            for (int i = 0; entry.size() < 70'000; ++i) {
                entry += QString(997, QChar(u'a' + i % 26)) + randomText(2);
            }
        }
        const QTextCursor before = m_box.textCursor();
        const int anchor = before.anchor();
        const int position = before.position();
        const bool follows = anchor == position && position == m_box.document()->characterCount() - 1;
        const bool wasShowingEverything = m_box.isShowingEverything();
        if (!m_box.append(entry).ok()) {
            m_problem = QStringLiteral("the append failed");
        }
        m_model.append(entry);
        const QTextCursor after = m_box.textCursor();
        if (wasShowingEverything && m_box.isShowingEverything()) {
            const int end = m_box.document()->characterCount() - 1;
            if (follows ? after.position() != end : (after.anchor() != anchor || after.position() != position)) {
                m_problem = QStringLiteral("the caret or the selection did not keep its place");
            }
        }
        return QStringLiteral("capture of %1").arg(entry.size());
    }

    DocumentBox& m_box;
    QRandomGenerator m_random;
    Model m_model;
    QString m_problem;
    /// The exact text the box last put on the clipboard.
    QString m_clipboard;
};

} // namespace

class TestDocumentBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void whatTheUserDoesKeepsEveryCharacter()
    {
        // VARDELO_SEED and VARDELO_STEPS replay one session.
        QList<quint32> seeds {20261207, 1, 2, 3};
        int steps = 2500;
        if (qEnvironmentVariableIsSet("VARDELO_SEED")) {
            seeds = {quint32(qEnvironmentVariableIntValue("VARDELO_SEED"))};
        }
        if (qEnvironmentVariableIsSet("VARDELO_STEPS")) {
            steps = qEnvironmentVariableIntValue("VARDELO_STEPS");
        }
        for (const quint32 seed : seeds) {
            DocumentBox box;
            box.setLineWrapMode(QPlainTextEdit::NoWrap); // so that a drop point names one position
            box.resize(4000, 400);
            box.show();
            RandomSession session(box, seed);
            QStringList recent;
            for (int i = 0; i < steps; ++i) {
                recent.append(session.step());
                if (recent.size() > 8) {
                    recent.removeFirst();
                }
                const QString where
                    = QStringLiteral("seed %1, step %2, after: %3").arg(seed).arg(i).arg(recent.join("; "));
                QVERIFY2(session.problem().isEmpty(), qPrintable(where + QStringLiteral("\n") + session.problem()));
                const QString exact = box.text().value();
                QVERIFY2(exact == session.model().exact(),
                    qPrintable(where + QStringLiteral("\nbox:   ") + exact.toUtf8().toPercentEncoding()
                        + QStringLiteral("\nmodel: ") + session.model().exact().toUtf8().toPercentEncoding()));
                // The box shows what it holds, the part still to come aside.
                const QString shown = box.document()->toRawText();
                QVERIFY2(shown == session.model().shown(int(shown.size())), qPrintable(where));
            }
        }
    }

    void largeAppendsReadBackAtOnceAndShowLater_data()
    {
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<bool>("readOnlyBefore");

        QString lines;
        for (int i = 0; lines.size() < 300'000; ++i) {
            lines += QStringLiteral("строка %1\r\nи ещё\rи\n").arg(i);
        }
        const QString straddling = QString(65535, u'a') + "\r\n" + QString(70000, u'b');
        QTest::newRow("CR LF across a slice boundary") << QStringList {straddling} << false;
        QTest::newRow("many lines, then CR and LF in texts of their own") << QStringList {lines, "x\r", "\ny"} << false;
        QTest::newRow("a read-only box stays read-only") << QStringList {lines} << true;
    }
    void largeAppendsReadBackAtOnceAndShowLater()
    {
        QFETCH(QStringList, pieces);
        QFETCH(bool, readOnlyBefore);
        DocumentBox box;
        box.setReadOnly(readOnlyBefore);
        QVERIFY(box.append(QStringLiteral("start")).ok());
        QString expected = QStringLiteral("start");
        for (const QString& piece : pieces) {
            QVERIFY(box.append(piece).ok());
            expected += piece;
        }
        QCOMPARE(box.text().value(), expected);
        QVERIFY(box.isReadOnly());
        QTRY_VERIFY_WITH_TIMEOUT(box.isShowingEverything(), 20000);
        QCOMPARE(box.isReadOnly(), readOnlyBefore);
        QCOMPARE(box.text().value(), expected);
        QCOMPARE(box.document()->toRawText(), shownFormOf(expected));
    }

    void setTextDropsWhatIsNotShownYet()
    {
        DocumentBox box;
        QVERIFY(box.append(QString(200'000, u'z')).ok());
        QVERIFY(box.setText(QStringLiteral("new\r\ntext")).ok());
        QVERIFY(box.isShowingEverything());
        QVERIFY(!box.isReadOnly());
        QTest::qWait(50); // no slice of the old text may turn up late
        QCOMPARE(box.text().value(), QStringLiteral("new\r\ntext"));
        QCOMPARE(box.document()->toRawText(), QStringLiteral("new\u2029text"));
    }

    void aReadElsewhereSeesTheMomentItWasAskedFor()
    {
        DocumentBox box;
        QVERIFY(box.append(QStringLiteral("a")).ok());
        QVERIFY(box.append(QString(100'000, u'z')).ok());
        const QString before = box.text().value();
        TextPieces read = box.readLater();
        // Nothing changes the widget's document until the read has run: what was still to show waits, and so
        // does a new entry.
        QVERIFY(box.append(QStringLiteral("b")).ok());
        QTest::qWait(50);
        QVERIFY(!box.isShowingEverything());
        QVERIFY(box.isReadOnly());
        QString readThere;
        read([&readThere](QStringView piece) {
            readThere += piece;
            return true;
        });
        QCOMPARE(readThere, before);
        read = nullptr;
        QTRY_VERIFY(box.isShowingEverything());
        QVERIFY(!box.isReadOnly());
        QCOMPARE(box.text().value(), before + QStringLiteral("b"));
    }

    void aReadOnAnotherThreadEndsTheHold()
    {
        // However the two threads meet, the box learns that the read has ended, and the read sees the text.
        DocumentBox box;
        QVERIFY(box.append(QStringLiteral("a\r\nb")).ok());
        for (int i = 0; i < 300; ++i) {
            std::atomic<bool> ended = false;
            QString readThere;
            std::thread elsewhere([&ended, &readThere, read = box.readLater()]() mutable {
                read([&readThere](QStringView piece) {
                    readThere += piece;
                    return true;
                });
                read = nullptr;
                ended = true;
            });
            while (!ended) {
                QCoreApplication::processEvents();
            }
            elsewhere.join();
            QTRY_VERIFY_WITH_TIMEOUT(!box.isReadOnly(), 1000);
            QCOMPARE(readThere, QStringLiteral("a\r\nb"));
        }
    }

    void nothingEditsTheDocumentWhileItIsHeld_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("showing");
        for (const bool showing : {false, true}) {
            const char* hold = showing ? "while a large entry is shown" : "while a read runs elsewhere";
            for (const char* way : {"screen reader inserts", "screen reader deletes", "screen reader sets the text",
                     "input method commits", "typing"}) {
                QTest::addRow("%s, %s", way, hold) << QString::fromLatin1(way) << showing;
            }
        }
    }
    void nothingEditsTheDocumentWhileItIsHeld()
    {
        QFETCH(QString, way);
        QFETCH(bool, showing);
        DocumentBox box;
        box.show();
        QVERIFY(box.append(QStringLiteral("один\r\nдва")).ok());
        TextPieces read;
        if (showing) {
            QVERIFY(box.append(QStringLiteral("\r\nтри").repeated(20'000)).ok());
        } else {
            read = box.readLater();
        }
        const QString held = box.text().value();
        const QString shown = box.document()->toRawText();
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(&box);
        QVERIFY(reader->editableTextInterface() != nullptr && reader->textInterface() != nullptr);
        if (way == QLatin1String("screen reader inserts")) {
            reader->editableTextInterface()->insertText(2, QStringLiteral("чужое"));
        } else if (way == QLatin1String("screen reader deletes")) {
            reader->editableTextInterface()->deleteText(0, 3);
        } else if (way == QLatin1String("screen reader sets the text")) {
            reader->setText(QAccessible::Value, QStringLiteral("чужое"));
        } else if (way == QLatin1String("input method commits")) {
            QInputMethodEvent commit;
            commit.setCommitString(QStringLiteral("ввод"));
            QCoreApplication::sendEvent(&box, &commit);
        } else {
            QTest::keyClicks(&box, QStringLiteral("abc"));
        }
        QCOMPARE(box.document()->toRawText(), shown);
        if (!showing) {
            QString readThere;
            read([&readThere](QStringView piece) {
                readThere += piece;
                return true;
            });
            read = nullptr;
            QCOMPARE(readThere, held);
        }
        QTRY_VERIFY_WITH_TIMEOUT(box.isShowingEverything() && !box.isReadOnly(), 20000);
        // What an input method gave comes at the caret once the hold is over; what a screen reader asked for was
        // refused.
        const bool committed = way == QLatin1String("input method commits");
        QCOMPARE(box.text().value(), committed ? held + QStringLiteral("ввод") : held);
    }

    void newDuringAReadEmptiesTheBoxAtOnce()
    {
        DocumentBox box;
        box.show();
        QVERIFY(box.append(QStringLiteral("собрано\r\n").repeated(1000)).ok());
        const QString before = box.text().value();
        std::promise<void> go;
        std::atomic<bool> ended = false;
        QString readThere;
        std::thread elsewhere([&, read = box.readLater(), started = go.get_future()]() mutable {
            // Released by the test, or after a while should New wait for the read, which the test then sees.
            started.wait_for(std::chrono::seconds(10));
            read([&readThere](QStringView piece) {
                readThere += piece;
                return true;
            });
            read = nullptr;
            ended = true;
        });
        QVERIFY(box.setText(QString()).ok());
        const bool readEndedFirst = ended;
        // The box goes on with a new document meanwhile: editable, and showing what comes at once.
        QVERIFY(!box.isReadOnly());
        QVERIFY(box.append(QStringLiteral("новое")).ok());
        QVERIFY(box.isShowingEverything());
        QCOMPARE(box.document()->toRawText(), QStringLiteral("новое"));
        go.set_value();
        elsewhere.join();
        QVERIFY(!readEndedFirst);
        QCOMPARE(readThere, before);
        QCoreApplication::processEvents();
        QCOMPARE(box.text().value(), QStringLiteral("новое"));
    }

    void caretAtTheEndFollowsALargeAppend()
    {
        DocumentBox box;
        box.resize(200, 100);
        box.show();
        QVERIFY(box.append(QStringLiteral("first")).ok());
        QVERIFY(box.append(QStringLiteral("\r\nzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz").repeated(5000)).ok());
        QTRY_VERIFY_WITH_TIMEOUT(box.isShowingEverything(), 20000);
        QCOMPARE(box.textCursor().position(), box.document()->characterCount() - 1);
        // The newest entry is in view.
        const QScrollBar* bar = box.verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        // Qt may leave the last line a step short of the bottom.
        QTRY_VERIFY(bar->value() >= bar->maximum() - 1);
    }
};

QTEST_MAIN(TestDocumentBox)
#include "TestDocumentBox.moc"

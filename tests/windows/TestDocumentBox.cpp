#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include "windows/DocumentBox.h"

using namespace vardelo;

namespace {
const QString Nul = QString(QChar(0));

/// Types text as a keyboard would, any script (QTest::keyClicks takes Latin-1 only).
void type(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}
} // namespace

class TestDocumentBox : public QObject
{
    Q_OBJECT

private:
    /// What the widget shows must always be what the exact text maps to; otherwise positions drift.
    static void verifyMapping(DocumentBox& box)
    {
        const ExactTextMirror& mirror = box.mirror();
        QCOMPARE(box.document()->characterCount() - 1, mirror.widgetLength());
        QTextCursor all(box.document());
        all.select(QTextCursor::Document);
        QCOMPARE(all.selectedText(), mirror.widgetRange(0, mirror.widgetLength()));
        QCOMPARE(mirror.exactRange(0, mirror.widgetLength()), box.text().value());
    }

private Q_SLOTS:
    void appendedTextReadsBackExactly_data()
    {
        QTest::addColumn<QStringList>("pieces");

        QTest::newRow("CR LF") << QStringList {"a\r\nb", "\r\n", "c\r\n"};
        QTest::newRow("lone LF and CR") << QStringList {"a\nb\rc", "\n\n", "\r\r"};
        QTest::newRow("CR then LF across appends") << QStringList {"a\r", "\nb", "\r", "\r\n"};
        QTest::newRow("CR CR LF") << QStringList {"x\r\r\ny\n\r\nz"};
        QTest::newRow("paragraph and line separators") << QStringList {QStringLiteral("p\u2029q\u2028r")};
        QTest::newRow("frame marks") << QStringList {QStringLiteral("f\uFDD0g\uFDD1h")};
        QTest::newRow("NBSP and NUL") << QStringList {QStringLiteral("a\u00A0b") + Nul + "c", Nul};
        QTest::newRow("Cyrillic and emoji") << QStringList {QStringLiteral("Привет, мир 😀\r\n№ — «»")};
        QTest::newRow("empty piece") << QStringList {"", "x", ""};
    }
    void appendedTextReadsBackExactly()
    {
        QFETCH(QStringList, pieces);
        DocumentBox box;
        QVERIFY(box.append(QStringLiteral("start")).ok());
        QString expected = QStringLiteral("start");
        for (const QString& piece : pieces) {
            QVERIFY(box.append(piece).ok());
            expected += piece;
            QCOMPARE(box.text().value(), expected);
        }
        verifyMapping(box);
        QVERIFY(box.setText(expected + "\r").ok());
        QCOMPARE(box.text().value(), expected + "\r");
        verifyMapping(box);
    }

    void typingKeepsEveryOtherLineEnd()
    {
        DocumentBox box;
        box.show();
        QVERIFY(box.append(QStringLiteral("a\nb\r\nc\rd\u00A0e")).ok());
        box.moveCursor(QTextCursor::End);
        QTest::keyClicks(&box, QStringLiteral("xy"));
        QTest::keyClick(&box, Qt::Key_Return);
        QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier); // also CR LF, not a soft break
        QTest::keyClicks(&box, QStringLiteral("z"));
        QCOMPARE(box.text().value(), QStringLiteral("a\nb\r\nc\rd\u00A0exy\r\n\r\nz"));

        // Backspace over a typed break removes both of its characters.
        QTest::keyClick(&box, Qt::Key_Backspace);
        QTest::keyClick(&box, Qt::Key_Backspace);
        QCOMPARE(box.text().value(), QStringLiteral("a\nb\r\nc\rd\u00A0exy\r\n"));

        // Typing in the middle, and deleting a lone LF there.
        box.moveCursor(QTextCursor::Start);
        box.moveCursor(QTextCursor::Right);
        QTest::keyClick(&box, Qt::Key_Delete);
        QTest::keyClicks(&box, QStringLiteral("-"));
        QCOMPARE(box.text().value(), QStringLiteral("a-b\r\nc\rd\u00A0exy\r\n"));
        verifyMapping(box);

        // Overwriting a selection that spans line ends.
        QTextCursor cursor = box.textCursor();
        cursor.setPosition(2);
        cursor.setPosition(5, QTextCursor::KeepAnchor); // "b", the CR LF break and "c"
        box.setTextCursor(cursor);
        type(&box, QStringLiteral("Ж"));
        QCOMPARE(box.text().value(), QStringLiteral("a-Ж\rd\u00A0exy\r\n"));
        verifyMapping(box);
    }

    void undoAndRedoKeepTheMappingConsistent()
    {
        DocumentBox box;
        box.show();
        QVERIFY(box.append(QStringLiteral("one\ntwo")).ok());
        box.moveCursor(QTextCursor::End);
        QTest::keyClicks(&box, QStringLiteral("abc"));
        box.undo();
        verifyMapping(box);
        QVERIFY(box.text().value().startsWith(QStringLiteral("one\ntwo")));
        box.redo();
        verifyMapping(box);
    }

    void copyAndPasteCarryTheExactText()
    {
        DocumentBox box;
        box.show();
        QVERIFY(box.append(QStringLiteral("a\u00A0b\nc")).ok());
        box.selectAll();
        box.copy();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("a\u00A0b\nc"));

        box.moveCursor(QTextCursor::End);
        QApplication::clipboard()->setText(QStringLiteral("\rp\nq\r\n"));
        box.paste();
        QCOMPARE(box.text().value(), QStringLiteral("a\u00A0b\nc\rp\nq\r\n"));
        verifyMapping(box);
    }

    void appendFollowsACaretAtTheEndOnly()
    {
        DocumentBox box;
        box.resize(200, 100);
        box.show();
        QVERIFY(box.append(QStringLiteral("first")).ok());
        QCOMPARE(box.textCursor().position(), 5);

        QTextCursor cursor = box.textCursor();
        cursor.setPosition(2);
        box.setTextCursor(cursor);
        QVERIFY(box.append(QStringLiteral("\r\nsecond")).ok());
        QCOMPARE(box.textCursor().position(), 2);
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
        verifyMapping(box);
    }

    void setTextDropsWhatIsNotShownYet()
    {
        DocumentBox box;
        QVERIFY(box.append(QString(200'000, u'z')).ok());
        QVERIFY(box.setText(QStringLiteral("new\r\ntext")).ok());
        QVERIFY(box.isShowingEverything());
        QVERIFY(!box.isReadOnly());
        QTest::qWait(50); // no slice of the old text may turn up late
        QCOMPARE(box.toPlainText(), QStringLiteral("new\ntext"));
        verifyMapping(box);
    }

    void caretAtTheEndFollowsALargeAppend()
    {
        DocumentBox box;
        box.resize(200, 100);
        box.show();
        QVERIFY(box.append(QStringLiteral("first")).ok());
        QVERIFY(box.append(QStringLiteral("\r\nzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz").repeated(5000)).ok());
        QTRY_VERIFY_WITH_TIMEOUT(box.isShowingEverything(), 20000);
        QCOMPARE(box.textCursor().position(), box.mirror().widgetLength());
        // The newest entry is in view.
        const QScrollBar* bar = box.verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        // Qt may leave the last line a step short of the bottom.
        QTRY_VERIFY(bar->value() >= bar->maximum() - 1);
    }

    void randomEditsNeverBreakTheMapping()
    {
        // User edits at random places between appends of text with every kind of line end.
        const QStringList pieces {"\r\n---------------\r\n", "a\nb", "c\rd", "e\r\nf", "\r", "\n",
            QStringLiteral("g\u2029h"), QStringLiteral("\u00A0")};
        QRandomGenerator random(20261207);
        DocumentBox box;
        QString appended;
        for (int step = 0; step < 300; ++step) {
            const int length = box.document()->characterCount() - 1;
            QTextCursor cursor(box.document());
            switch (random.bounded(4)) {
            case 0:
                QVERIFY(box.append(pieces[random.bounded(pieces.size())]).ok());
                break;
            case 1:
                cursor.setPosition(random.bounded(length + 1));
                cursor.insertText(QStringLiteral("k"));
                break;
            case 2:
                if (length > 0) {
                    const int from = random.bounded(length);
                    cursor.setPosition(from);
                    cursor.setPosition(std::min(length, from + 1 + random.bounded(4)), QTextCursor::KeepAnchor);
                    cursor.removeSelectedText();
                }
                break;
            default:
                cursor.setPosition(random.bounded(length + 1));
                cursor.insertBlock();
                break;
            }
            verifyMapping(box);
        }
    }
};

QTEST_MAIN(TestDocumentBox)
#include "TestDocumentBox.moc"

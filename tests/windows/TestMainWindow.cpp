#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "app/Splash.h"
#include "platform/fake/FakePlatform.h"
#include "platform/qt/QtTranslation.h"
#include "windows/DocumentBox.h"
#include "windows/HiddenTextBox.h"
#include "windows/MainWindow.h"
#include "windows/ProgramWindows.h"
#include "windows/SaveWindow.h"

using namespace vardelo;
using namespace std::chrono_literals;

namespace {
const QString Sep = QStringLiteral("\r\n---------------\r\n");
}

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    template <typename T = QWidget> T* control(const char* name) const
    {
        return m_windows->main()->findChild<T*>(QString::fromLatin1(name));
    }
    QString documentText() const { return control<DocumentBox>("vardelo")->text().value(); }
    void click(const char* button) { QTest::mouseClick(control<QToolButton>(button), Qt::LeftButton); }
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

private Q_SLOTS:
    void init()
    {
        m_platform = std::make_unique<FakePlatform>();
        m_windows = std::make_unique<ProgramWindows>(*m_platform);
    }
    void cleanup()
    {
        m_windows.reset();
        m_platform.reset();
    }

    void layoutFollowsTheTable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");

        QTest::newRow("New") << "Command4" << QRect(8, 8, 89, 57) << QStringLiteral("Новый");
        QTest::newRow("Save") << "Command2" << QRect(104, 8, 89, 57) << QStringLiteral("Сохранить");
        QTest::newRow("Print") << "Command1" << QRect(200, 8, 89, 57) << QStringLiteral("Распечатать");
        QTest::newRow("Help") << "Command5" << QRect(296, 8, 89, 57) << QStringLiteral("Справка");
        QTest::newRow("Close") << "Command3" << QRect(392, 8, 89, 57) << QStringLiteral("Закрыть");
        QTest::newRow("clock frame") << "Frame1" << QRect(488, 8, 137, 57) << QStringLiteral("Время");
        QTest::newRow("clock") << "Label1" << QRect(8, 16, 121, 33) << QStringLiteral("00:00:00");
        QTest::newRow("document") << "vardelo" << QRect(8, 72, 617, 257) << QString();
        QTest::newRow("left edge") << "Line1" << QRect(0, 0, 1, 337) << QString();
        QTest::newRow("bottom edge") << "Line2" << QRect(0, 336, 633, 1) << QString();
        QTest::newRow("top edge") << "Line3" << QRect(0, 0, 633, 1) << QString();
        QTest::newRow("right edge") << "Line4" << QRect(632, 0, 1, 337) << QString();
        QTest::newRow("thick top edge") << "Line5" << QRect(0, 0, 633, 2) << QString();
    }
    void layoutFollowsTheTable()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        m_windows->showMain();
        const MainWindow* main = m_windows->main();
        QCOMPARE(main->windowTitle(), QStringLiteral("Vardelo"));
        QCOMPARE(main->size(), QSize(633, 337));
        QCOMPARE(main->minimumSize(), main->maximumSize());

        auto* widget = main->findChild<QWidget*>(name);
        QVERIFY2(widget != nullptr, qPrintable(name));
        QCOMPARE(widget->geometry(), geometry);
        QVERIFY(widget->isVisible());
        if (auto* button = qobject_cast<QToolButton*>(widget)) {
            QCOMPARE(button->text(), caption);
            QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
            QVERIFY(!button->icon().isNull());
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            QCOMPARE(label->text(), caption);
            QCOMPARE(label->font().pointSize(), 18);
        } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
            QCOMPARE(frame->title(), caption);
        }
    }

    void focusStartsInTheDocumentAndTabRunsThroughTheButtons()
    {
        MainWindow& main = m_windows->showMain();
        QCOMPARE(main.focusWidget(), control("vardelo"));
        QVERIFY(!control("TTT")->isVisible());
        QCOMPARE(control("TTT")->focusPolicy(), Qt::NoFocus);

        QStringList order;
        QWidget* widget = control("vardelo");
        do {
            order << widget->objectName();
            do {
                widget = widget->nextInFocusChain();
            } while ((widget->focusPolicy() & Qt::TabFocus) == 0 || !widget->isVisible() || widget->window() != &main);
        } while (widget != control("vardelo"));
        QCOMPARE(order, (QStringList {"vardelo", "Command4", "Command2", "Command1", "Command5", "Command3"}));
        QVERIFY(static_cast<QPlainTextEdit*>(control("vardelo"))->tabChangesFocus());
    }

    void documentUsesTheDesktopColours()
    {
        m_windows->showMain();
        const QPalette application = QApplication::palette();
        const QPalette box = control("vardelo")->palette();
        QCOMPARE(box.color(QPalette::Base), application.color(QPalette::Highlight));
        QCOMPARE(box.color(QPalette::Text), application.color(QPalette::HighlightedText));
        QCOMPARE(m_windows->main()->palette().color(QPalette::Window), application.color(QPalette::Highlight));
    }

    void clockShowsZerosUntilItsFirstTickThenTicksOnTheSecond()
    {
        // The window opens 300 ms into a second: the clock's first tick comes a second later, the next ones
        // just after each whole second.
        m_platform->setWallClockOffset(300ms);
        m_windows->showMain();
        m_platform->setTimeOfDay(QStringLiteral("09:15:07"));
        m_platform->advance(999ms);
        QCOMPARE(control<QLabel>("Label1")->text(), QStringLiteral("00:00:00"));
        m_platform->advance(1ms);
        QCOMPARE(control<QLabel>("Label1")->text(), QStringLiteral("09:15:07"));
        m_platform->setTimeOfDay(QStringLiteral("09:15:08"));
        m_platform->advance(715ms);
        QCOMPARE(control<QLabel>("Label1")->text(), QStringLiteral("09:15:07"));
        m_platform->advance(10ms);
        QCOMPARE(control<QLabel>("Label1")->text(), QStringLiteral("09:15:08"));
        m_platform->setTimeOfDay(QStringLiteral("09:15:09"));
        m_platform->advance(990ms);
        QCOMPARE(control<QLabel>("Label1")->text(), QStringLiteral("09:15:08"));
        m_platform->advance(10ms);
        QCOMPARE(control<QLabel>("Label1")->text(), QStringLiteral("09:15:09"));
    }

    void captureRunsFromCreationAndNewKeepsTheLastCapture()
    {
        m_platform->clipboard().setText(QStringLiteral("already copied"));
        m_windows->showMain();
        m_platform->advance(10ms);
        QCOMPARE(documentText(), Sep + "already copied");

        click("Command4");
        QCOMPARE(documentText(), QString());
        m_platform->advance(100ms);
        QCOMPARE(documentText(), QString()); // the clipboard's text is not collected again
        QCOMPARE(control<HiddenTextBox>("TTT")->text().value(), QStringLiteral("already copied"));

        m_platform->clipboard().setText(QStringLiteral("next"));
        m_platform->advance(10ms);
        QCOMPARE(documentText(), Sep + "next");
    }

    void captureRestsUntilTheClipboardChanges_data()
    {
        QTest::addColumn<bool>("tellsWhenReadable");
        QTest::newRow("reader that tells when a read ends") << true;
        QTest::newRow("reader whose failures pass unnoticed") << false;
    }
    void captureRestsUntilTheClipboardChanges()
    {
        QFETCH(bool, tellsWhenReadable);
        FakeClipboard& clipboard = m_platform->clipboard();
        clipboard.setTellsWhenReadable(tellsWhenReadable);
        clipboard.setText(QStringLiteral("one"));
        m_windows->showMain();
        m_platform->advance(20ms); // captures, then finds nothing new
        const int reads = clipboard.reads();
        m_platform->advance(5000ms);
        QCOMPARE(clipboard.reads(), reads);
        QCOMPARE(m_platform->activeTimers(), 1); // the clock

        // A copy wakes it. While the owner does not answer yet, a reader that tells when the read ends lets it
        // rest after one tick; one that does not keeps it ticking.
        clipboard.setUnreadable(true);
        clipboard.setText(QStringLiteral("two"));
        m_platform->advance(100ms);
        QCOMPARE(clipboard.reads(), reads + (tellsWhenReadable ? 1 : 10));
        QCOMPARE(documentText(), Sep + "one");
        clipboard.setUnreadable(false);
        m_platform->advance(10ms);
        QCOMPARE(documentText(), Sep + "one" + Sep + "two");

        // A secret wakes it too, adds nothing and lets it rest again.
        clipboard.setSecret();
        m_platform->advance(1000ms);
        QCOMPARE(documentText(), Sep + "one" + Sep + "two");
        QCOMPARE(m_platform->activeTimers(), 1);
    }

    void printSendsTheWholeDocumentTypedTextIncluded()
    {
        m_windows->showMain();
        m_platform->clipboard().setText(QStringLiteral("Текст"));
        m_platform->advance(10ms);
        auto* box = control<DocumentBox>("vardelo");
        box->moveCursor(QTextCursor::End);
        QTest::keyClicks(box, QStringLiteral(" typed"));
        click("Command1");
        QCOMPARE(m_platform->printedDocuments().size(), 1u);
        QCOMPARE(m_platform->printedDocuments().front(), Sep + QStringLiteral("Текст typed"));
        QVERIFY(m_platform->messages().empty());
    }

    void failedPrintSaysSoAndKeepsTheDocument()
    {
        m_windows->showMain();
        m_platform->clipboard().setText(QStringLiteral("keep me"));
        m_platform->advance(10ms);
        m_platform->failNextPrint(QStringLiteral("В системе не установлен принтер по умолчанию."));
        click("Command1");
        QCOMPARE(m_platform->messages().size(), 1u);
        const Message& message = m_platform->messages().front();
        QCOMPARE(message.icon, Message::Icon::Warning);
        QVERIFY(message.text.contains(QStringLiteral("не установлен принтер")));
        QCOMPARE(documentText(), Sep + "keep me");
        QVERIFY(m_windows->main() != nullptr);
    }

    void printsQueueInOrderAndCloseWaitsForTheSpooler()
    {
        QSignalSpy ended(m_windows.get(), &ProgramWindows::allClosed);
        m_windows->showMain();
        m_platform->holdPrints();
        m_platform->clipboard().setText(QStringLiteral("первый"));
        m_platform->advance(10ms);
        click("Command1");
        // A copy made while the first job is being made goes into the second, which comes after it.
        m_platform->clipboard().setText(QStringLiteral("второй"));
        m_platform->advance(10ms);
        QCoreApplication::processEvents();
        click("Command1");
        QCOMPARE(
            m_platform->printedDocuments(), (std::vector<QString> {Sep + "первый", Sep + "первый" + Sep + "второй"}));

        // Close waits for every job; a failed one keeps the program open, with its collection.
        click("Command3");
        QVERIFY(m_platform->finishPrint());
        flushDeletes();
        QVERIFY(m_windows->main() != nullptr);
        m_platform->failNextPrint(QStringLiteral("Принтер «P» не принимает задания."));
        QVERIFY(m_platform->finishPrint());
        flushDeletes();
        QVERIFY(m_windows->main() != nullptr && m_windows->main()->isVisible());
        QCOMPARE(m_platform->messages().size(), 1u);
        QVERIFY(m_platform->messages().front().text.contains(QStringLiteral("не принимает")));
        QCOMPARE(documentText(), Sep + "первый" + Sep + "второй");
        QCOMPARE(ended.count(), 0);

        // Once a job is taken, a close asked for meanwhile ends the program.
        click("Command1");
        click("Command3");
        flushDeletes();
        QCOMPARE(ended.count(), 0);
        QVERIFY(m_platform->finishPrint());
        flushDeletes();
        QCOMPARE(ended.count(), 1);
    }

    void closeEndsTheProgramEveryWay_data()
    {
        QTest::addColumn<bool>("byButton");
        QTest::newRow("Close button") << true;
        QTest::newRow("close box") << false;
    }
    void closeEndsTheProgramEveryWay()
    {
        QFETCH(bool, byButton);
        QSignalSpy ended(m_windows.get(), &ProgramWindows::allClosed);
        m_windows->showMain();
        if (byButton) {
            click("Command3");
        } else {
            m_windows->main()->close();
        }
        flushDeletes();
        QCOMPARE(m_windows->main(), nullptr);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(m_platform->activeTimers(), 0);
    }

    void splashHandsOverAfterItsTick()
    {
        QSignalSpy ended(m_windows.get(), &ProgramWindows::allClosed);
        auto* splash = new Splash(*m_platform, *m_windows);
        m_windows->adoptSplash(splash);
        splash->show();
        QCOMPARE(splash->size(), QSize(201, 301));
        QVERIFY(splash->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(splash->findChild<QWidget*>(QStringLiteral("Image1"))->geometry(), QRect(0, 0, 200, 300));
        QCOMPARE(splash->findChild<QWidget*>(QStringLiteral("Line1"))->geometry(), QRect(200, 0, 1, 305));
        QCOMPARE(splash->findChild<QWidget*>(QStringLiteral("Line4"))->geometry(), QRect(0, 300, 201, 1));

        m_platform->advance(1499ms);
        QCOMPARE(m_windows->main(), nullptr);
        m_platform->advance(1ms);
        QVERIFY(m_windows->main() != nullptr);
        QVERIFY(m_windows->main()->isVisible());
        flushDeletes();
        QCOMPARE(m_windows->splash(), nullptr);
        QCOMPARE(m_platform->activeTimers(), 2); // the capture and the clock; the splash tick is gone
        QCOMPARE(ended.count(), 0);

        // Close from the main window finds the splash already gone and ends the program.
        click("Command3");
        flushDeletes();
        QCOMPARE(ended.count(), 1);
    }

    void screenReadersGetRussianTextsRolesAndTheShownText()
    {
        QVERIFY(loadQtTranslation(*QCoreApplication::instance()));
        m_windows->adoptSplash(new Splash(*m_platform, *m_windows));
        const std::unique_ptr<QMenu> menu(m_windows->showMain().findChild<DocumentBox*>()->createStandardContextMenu());
        const std::pair<QWidget*, QAccessible::Role> windows[] {{m_windows->splash(), QAccessible::Window},
            {m_windows->main(), QAccessible::Window}, {&m_windows->showSave(), QAccessible::Dialog},
            {menu.get(), QAccessible::PopupMenu}};
        // What a reader stops at: the splash picture, the document, five buttons, the name box, Save, Qt's menu.
        QStringList stops;
        for (const auto& [window, role] : windows) {
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(window);
            QCOMPARE(iface->role(), role);
            for (int i = 0; i < iface->childCount(); ++i) {
                const QAccessibleInterface* c = iface->child(i);
                if (c->state().focusable || c->role() == QAccessible::Graphic || c->role() == QAccessible::MenuItem) {
                    stops << c->text(QAccessible::Name);
                }
            }
        }
        QCOMPARE(stops.size(), 16);
        QCOMPARE(stops.filter(QRegularExpression(QStringLiteral("[\\x{0400}-\\x{04FF}]"))), stops);
        m_platform->clipboard().setText(QStringLiteral("один\r\nдва\rтри\nчетыре"));
        m_platform->advance(10ms);
        // Every line end, whatever its form, reads as the one line break the box shows.
        QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(control("vardelo"))->textInterface();
        QCOMPARE(text->text(0, text->characterCount()),
            documentText().replace(QRegularExpression(QStringLiteral("\r\n?")), QStringLiteral("\n")));
    }

    void splashClosedEarlyEndsTheProgram()
    {
        QSignalSpy ended(m_windows.get(), &ProgramWindows::allClosed);
        auto* splash = new Splash(*m_platform, *m_windows);
        m_windows->adoptSplash(splash);
        splash->show();
        m_platform->advance(500ms);
        splash->close();
        flushDeletes();
        QCOMPARE(ended.count(), 1);
        m_platform->advance(5000ms);
        QCOMPARE(m_windows->main(), nullptr);
        QVERIFY(!m_windows->anyOpen());
    }

private:
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<ProgramWindows> m_windows;
};

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"

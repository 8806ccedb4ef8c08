#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QToolButton>

#include "platform/qt/DesktopPlatform.h"
#include "tests/support/ClipboardOwner.h"
#include "tests/support/ModalWatcher.h"
#include "windows/DocumentBox.h"
#include "windows/MainWindow.h"
#include "windows/ProgramWindows.h"

using namespace vardelo;

namespace {
const QString Sep = QStringLiteral("\r\n---------------\r\n");

QString pdfText(const QString& path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
        {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, "-"});
    pdftotext.waitForFinished(30000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

bool pdfComplete(const QString& path)
{
    QFile file(path);
    // The printer driver wraps the PDF in printer job commands, so %%EOF is not the last line.
    return file.open(QIODevice::ReadOnly) && file.readAll().contains("%%EOF");
}
} // namespace

/// Printing from the main window on the real desktop: a CUPS printer that writes PDF files, or none.
class TestPrinting : public QObject
{
    Q_OBJECT

private:
    void collectTwoCopies(MainWindow& main, const QString& first, const QString& second)
    {
        auto* box = main.findChild<DocumentBox*>(QStringLiteral("vardelo"));
        QVERIFY(m_owner.copy(first.toUtf8()));
        QTRY_COMPARE_WITH_TIMEOUT(box->text().value(), Sep + first, 5000);
        QVERIFY(m_owner.copy(second.toUtf8()));
        QTRY_COMPARE_WITH_TIMEOUT(box->text().value(), Sep + first + Sep + second, 5000);
    }

private Q_SLOTS:
    void init()
    {
        m_platform = createDesktopPlatform();
        m_windows = std::make_unique<ProgramWindows>(*m_platform);
    }
    void cleanup()
    {
        m_owner.stop();
        m_windows.reset();
        m_platform.reset();
    }

    void printsTheDocumentOnTheDefaultPrinter()
    {
        const QString pdf = qEnvironmentVariable("VARDELO_TEST_PRINT_PDF");
        if (pdf.isEmpty()) {
            QFAIL("VARDELO_TEST_PRINT_PDF is not set; ./scripts/test sets up the test printer");
        }
        QFile::remove(pdf);
        MainWindow& main = m_windows->showMain();
        const QString first = QStringLiteral("Первая выписка: «кириллица» и ёж");
        // A token of this run, so that a job left over from an earlier run cannot pass for this one.
        const QString second = QStringLiteral("Вторая выписка — Москва %1").arg(QDateTime::currentMSecsSinceEpoch());
        collectTwoCopies(main, first, second);
        if (QTest::currentTestFailed()) {
            return;
        }

        QTest::mouseClick(main.findChild<QToolButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(pdfComplete(pdf), 60000);
        const QString printed = pdfText(pdf);
        QVERIFY2(printed.contains(first), qPrintable(printed));
        QVERIFY2(printed.contains(second), qPrintable(printed));
        QCOMPARE(printed.count(QStringLiteral("---------------")), 2);
        QVERIFY(printed.indexOf(first) < printed.indexOf(second));
    }

    void withoutAPrinterSaysSoAndKeepsTheDocument()
    {
        // Run with CUPS_SERVER pointing nowhere, so that no printer exists.
        MainWindow& main = m_windows->showMain();
        collectTwoCopies(main, QStringLiteral("один"), QStringLiteral("два"));
        if (QTest::currentTestFailed()) {
            return;
        }
        const QString before = main.readDocument().value();

        test::ModalWatcher watcher;
        QTest::mouseClick(main.findChild<QToolButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(watcher.answered, 1, 10000);
        QCOMPARE(watcher.icon, QMessageBox::Warning);
        QCOMPARE(watcher.title, QStringLiteral("Ошибка печати"));
        QVERIFY2(watcher.text.contains(QStringLiteral("принтер")), qPrintable(watcher.text));
        QCOMPARE(main.readDocument().value(), before);
        QVERIFY(main.isVisible());
    }

private:
    std::unique_ptr<PlatformServices> m_platform;
    std::unique_ptr<ProgramWindows> m_windows;
    test::ClipboardOwner m_owner;
};

QTEST_MAIN(TestPrinting)
#include "TestPrinting.moc"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
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
const QString Printer = QStringLiteral("VardeloTestPDF");

QString pdfText(const QString& path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
        {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, "-"});
    pdftotext.waitForFinished(60000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

bool pdfComplete(const QString& path)
{
    QFile file(path);
    // The printer driver wraps the PDF in printer job commands, so %%EOF is not the last line.
    return file.open(QIODevice::ReadOnly) && file.readAll().contains("%%EOF");
}

/// The lines that hold text, in order: a printed page's number stands on a line of its own.
QStringList textLines(const QString& text)
{
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n|\f"));
    static const QRegularExpression pageNumber(QStringLiteral("^\\d+$"));
    QStringList lines;
    for (const QString& line : text.split(lineEnd)) {
        if (const QString kept = line.trimmed(); !kept.isEmpty() && !pageNumber.match(kept).hasMatch()) {
            lines << kept;
        }
    }
    return lines;
}

bool lpadmin(const QString& command)
{
    return QProcess::execute(command, {Printer}) == 0;
}
} // namespace

/// Printing from the main window on the real desktop: a CUPS printer that writes PDF files, or none.
class TestPrinting : public QObject
{
    Q_OBJECT

private:
    DocumentBox* box() const { return m_windows->main()->findChild<DocumentBox*>(QStringLiteral("vardelo")); }
    void collect(const QString& text)
    {
        const QString before = box()->text().value();
        QVERIFY(m_owner.copy(text.toUtf8()));
        QTRY_COMPARE_WITH_TIMEOUT(box()->text().value(), before + Sep + text, 10000);
    }
    void print()
    {
        QTest::mouseClick(m_windows->main()->findChild<QToolButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    }

private Q_SLOTS:
    void init()
    {
        m_platform = createDesktopPlatform();
        m_windows = std::make_unique<ProgramWindows>(*m_platform);
        m_windows->showMain();
    }
    void cleanup()
    {
        m_owner.stop();
        m_windows.reset();
        m_platform.reset();
    }

    void aLargeCollectionPrintsWholeWhileCopiesGoOn()
    {
        const QString pdf = qEnvironmentVariable("VARDELO_TEST_PRINT_PDF");
        if (pdf.isEmpty()) {
            QFAIL("VARDELO_TEST_PRINT_PDF is not set; ./scripts/test sets up the test printer");
        }
        QFile::remove(pdf);
        // Some hundred pages, every kind of line end, Cyrillic, and a token of this run, so that a job left over
        // from an earlier run cannot pass for this one.
        QString large;
        const QStringList lineEnds {QStringLiteral("\r\n"), QStringLiteral("\r"), QStringLiteral("\n")};
        for (int line = 0; large.size() < 512 * 1024; ++line) {
            large += QStringLiteral("строка %1: съешь же ещё этих мягких булок").arg(line) + lineEnds[line % 3];
        }
        large += QStringLiteral("последняя строка %1").arg(QDateTime::currentMSecsSinceEpoch());
        collect(QStringLiteral("Первая выписка: «кириллица» и ёж"));
        collect(large);
        if (QTest::currentTestFailed()) {
            return;
        }
        const QString printed = box()->text().value();

        print();
        // Copies made while the job is being made are collected.
        QTest::qWait(300);
        collect(QStringLiteral("во время печати"));
        collect(QStringLiteral("и ещё одна"));
        QTRY_VERIFY_WITH_TIMEOUT(pdfComplete(pdf), 120000);
        QCOMPARE(textLines(pdfText(pdf)), textLines(printed));
        QCOMPARE(box()->text().value(), printed + Sep + "во время печати" + Sep + "и ещё одна");
    }

    void aQueueThatTakesNoJobSaysSoAndKeepsTheCollection_data()
    {
        QTest::addColumn<QString>("stop");
        QTest::addColumn<QString>("restart");
        QTest::addColumn<QString>("said");
        QTest::newRow("rejecting") << "cupsreject"
                                   << "cupsaccept"
                                   << "не принимает задания";
        QTest::newRow("stopped") << "cupsdisable"
                                 << "cupsenable"
                                 << "остановлен";
    }
    void aQueueThatTakesNoJobSaysSoAndKeepsTheCollection()
    {
        QFETCH(QString, stop);
        QFETCH(QString, restart);
        QFETCH(QString, said);
        collect(QStringLiteral("один"));
        QVERIFY(lpadmin(stop));
        test::ModalWatcher watcher;
        print();
        QTRY_COMPARE_WITH_TIMEOUT(watcher.answered, 1, 20000);
        QVERIFY(lpadmin(restart));
        QCOMPARE(watcher.icon, QMessageBox::Warning);
        QCOMPARE(watcher.title, QStringLiteral("Ошибка печати"));
        QVERIFY2(watcher.text.contains(QStringLiteral("«%1»").arg(Printer)) && watcher.text.contains(said),
            qPrintable(watcher.text));
        QCOMPARE(box()->text().value(), Sep + "один");
        QVERIFY(m_windows->main()->isVisible());
    }

    void withoutAPrinterSaysSoAndKeepsTheDocument()
    {
        // Run with CUPS_SERVER pointing nowhere, so that no printer exists.
        collect(QStringLiteral("один"));
        test::ModalWatcher watcher;
        print();
        QTRY_COMPARE_WITH_TIMEOUT(watcher.answered, 1, 10000);
        QCOMPARE(watcher.icon, QMessageBox::Warning);
        QCOMPARE(watcher.title, QStringLiteral("Ошибка печати"));
        QVERIFY2(watcher.text.contains(QStringLiteral("принтер")), qPrintable(watcher.text));
        QCOMPARE(box()->text().value(), Sep + "один");
        QVERIFY(m_windows->main()->isVisible());
    }

private:
    std::unique_ptr<PlatformServices> m_platform;
    std::unique_ptr<ProgramWindows> m_windows;
    test::ClipboardOwner m_owner;
};

QTEST_MAIN(TestPrinting)
#include "TestPrinting.moc"

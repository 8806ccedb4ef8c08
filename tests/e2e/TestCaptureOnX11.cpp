#include <QTest>

#include "collect/CaptureRule.h"
#include "platform/qt/DesktopPlatform.h"
#include "tests/support/ClipboardOwner.h"
#include "windows/DocumentBox.h"
#include "windows/HiddenTextBox.h"

using namespace vardelo;
using namespace std::chrono_literals;

namespace {
const QString Sep = QStringLiteral("\r\n---------------\r\n");
}

/// The capture on the real desktop platform, with copies made by another program on a real X server.
class TestCaptureOnX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void copiesInAnotherProgramAreCollected()
    {
        std::unique_ptr<PlatformServices> platform = createDesktopPlatform();
        DocumentBox document;
        HiddenTextBox last;
        CaptureRule rule(platform->clipboard(), document, last);
        QVERIFY(rule.load().ok());
        const std::unique_ptr<Timer> timer = platform->createTimer(10ms, [&rule] { rule.tick(); });
        timer->start();

        test::ClipboardOwner owner;
        QVERIFY(owner.copy("first\nline"));
        QTRY_COMPARE_WITH_TIMEOUT(document.text().value(), Sep + "first\nline", 2000);

        const QString second = QStringLiteral("второй\r\nтекст");
        QVERIFY(owner.copy(second.toUtf8()));
        QTRY_COMPARE_WITH_TIMEOUT(document.text().value(), Sep + "first\nline" + Sep + second, 2000);

        // The same text copied again is no new entry; the next different one is.
        QVERIFY(owner.copy(second.toUtf8()));
        QTest::qWait(200);
        QVERIFY(owner.copy("third"));
        QTRY_COMPARE_WITH_TIMEOUT(document.text().value(), Sep + "first\nline" + Sep + second + Sep + "third", 2000);
        QCOMPARE(last.text().value(), QStringLiteral("third"));
    }
};

QTEST_MAIN(TestCaptureOnX11)
#include "TestCaptureOnX11.moc"

#include <QMimeData>
#include <QTest>

#include "platform/clipboard/SecretMark.h"

using namespace vardelo;

namespace {
QString windowsFormat(const QString& name)
{
    return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(name);
}
} // namespace

/// The marks that keep a copied password out of the collection, as the clipboard shows them to Qt.
class TestSecretMark : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void marks_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("secret");

        QTest::newRow("plain text only") << QString() << QByteArray() << false;
        QTest::newRow("password manager: secret") << "x-kde-passwordManagerHint" << QByteArray("secret") << true;
        QTest::newRow("password manager: secret, line end")
            << "x-kde-passwordManagerHint" << QByteArray("secret\n") << true;
        QTest::newRow("password manager: other value") << "x-kde-passwordManagerHint" << QByteArray("public") << false;
        QTest::newRow("Windows: excluded from monitors")
            << windowsFormat("ExcludeClipboardContentFromMonitorProcessing") << QByteArray() << true;
        QTest::newRow("Windows: viewer ignore") << windowsFormat("Clipboard Viewer Ignore") << QByteArray() << true;
        QTest::newRow("Windows: not for the history")
            << windowsFormat("CanIncludeInClipboardHistory") << QByteArray("\0\0\0\0", 4) << true;
        QTest::newRow("Windows: allowed in the history")
            << windowsFormat("CanIncludeInClipboardHistory") << QByteArray("\1\0\0\0", 4) << false;
    }
    void marks()
    {
        QFETCH(QString, format);
        QFETCH(QByteArray, value);
        QFETCH(bool, secret);
        QMimeData data;
        data.setText(QStringLiteral("hunter2"));
        if (!format.isEmpty()) {
            data.setData(format, value);
        }
        QCOMPARE(isMarkedSecret(data), secret);
    }
};

QTEST_GUILESS_MAIN(TestSecretMark)
#include "TestSecretMark.moc"

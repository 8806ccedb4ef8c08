#include <windows.h>

#include <QCoreApplication>
#include <QTest>

/// The version record that Windows shows for vardelo.exe, read as Explorer reads it.
class TestVersionResource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsOnePointZeroZero()
    {
        const std::wstring exe
            = (QCoreApplication::applicationDirPath() + QStringLiteral("/vardelo.exe")).toStdWString();
        const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), nullptr);
        QVERIFY2(size > 0, "vardelo.exe has no version record");
        std::string record(size, '\0');
        QVERIFY(GetFileVersionInfoW(exe.c_str(), 0, size, record.data()));

        void* value = nullptr;
        UINT length = 0;
        QVERIFY(VerQueryValueW(record.data(), L"\\", &value, &length));
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
        QCOMPARE(fixed->dwFileVersionMS, DWORD(0x00010000));
        QCOMPARE(fixed->dwProductVersionMS, DWORD(0x00010000));

        for (const wchar_t* key :
            {L"\\StringFileInfo\\041904B0\\FileVersion", L"\\StringFileInfo\\041904B0\\ProductVersion"}) {
            QVERIFY(VerQueryValueW(record.data(), key, &value, &length));
            QCOMPARE(QString::fromWCharArray(static_cast<const wchar_t*>(value)), QStringLiteral("1.00"));
        }
    }
};

QTEST_GUILESS_MAIN(TestVersionResource)
#include "TestVersionResource.moc"

#include "windows/SaveWindow.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "platform/PlatformServices.h"
#include "windows/AccessibleRole.h"
#include "windows/FixedWindow.h"
#include "windows/MainWindow.h"
#include "windows/ProgramWindows.h"
#include "windows/SystemColours.h"
#include "windows/Twips.h"
#include "windows/WindowPlacement.h"

namespace vardelo {

namespace {

constexpr TwipsRect ClientArea {0, 0, 5415, 1335};
constexpr TwipsRect Label1 {120, 120, 5175, 255};
constexpr TwipsRect Names {120, 480, 5175, 285};
constexpr TwipsRect Command1 {120, 840, 5175, 375};

} // namespace

SaveWindow::SaveWindow(PlatformServices& platform, ProgramWindows& windows)
    : QWidget(nullptr, FixedDialogFrame)
    , m_platform(platform)
    , m_windows(windows)
    , m_location(platform.driveRoot())
{
    setUpFixedWindow(this, QStringLiteral("save"), QStringLiteral("Сохранение"), ClientArea.toPixels().size());
    setAccessibleRole(this, QAccessible::Dialog);

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setGeometry(Label1.toPixels());
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setText(m_location.labelText());
    useDesktopColour(m_label);

    m_name = new QLineEdit(QStringLiteral("Безымянный"), this);
    m_name->setObjectName(QStringLiteral("names"));
    m_name->setGeometry(Names.toPixels());
    useDesktopColourForTextBox(m_name);
    // A screen reader names the box by its label.
    m_label->setBuddy(m_name);

    auto* button = new QToolButton(this);
    button->setObjectName(QStringLiteral("Command1"));
    button->setText(QStringLiteral("Сохранить"));
    button->setGeometry(Command1.toPixels());
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setFocusPolicy(Qt::StrongFocus);
    useDesktopColourForButton(button);
    connect(button, &QToolButton::clicked, this, &SaveWindow::Command1_Click);

    setTabOrder(m_name, button);
    m_name->setFocus();
    centreOnScreen(this);
}

SaveWindow::~SaveWindow() = default;

void SaveWindow::showAgain()
{
    show();
    raise();
    activateWindow();
    m_name->setFocus();
    m_name->selectAll();
}

void SaveWindow::Command1_Click()
{
    const QString name = m_name->text();
    const Result<QString> path = m_location.pathFor(name);
    if (!path.ok()) {
        showError(m_location.requestedPath(name), path.reason());
        return;
    }
    const MainWindow* main = m_windows.main();
    const Result<QString> document
        = main != nullptr ? main->readDocument() : Result<QString>::failure(QStringLiteral("Документ не открыт."));
    if (!document.ok()) {
        showError(path.value(), document.reason());
        return;
    }
    const Result<TextFileEncoding> written = m_platform.writeTextFile(path.value(), document.value());
    if (!written.ok()) {
        showError(path.value(), written.reason());
        return;
    }
    QString message = m_location.savedMessage(path.value());
    if (written.value() == TextFileEncoding::Utf8WithBom) {
        message += QStringLiteral("\nФайл записан в кодировке UTF-8, потому что в тексте есть символы, "
                                  "которых нет в кодировке Windows-1251.");
    }
    m_platform.showMessage({Message::Icon::Information, QStringLiteral("Оповещение!"), message});
    hide();
}

void SaveWindow::showError(const QString& path, const QString& reason)
{
    m_platform.showMessage({Message::Icon::Warning, QStringLiteral("Ошибка"),
        QStringLiteral("Не удалось сохранить файл %1\n%2").arg(QDir::toNativeSeparators(path), reason)});
}

} // namespace vardelo

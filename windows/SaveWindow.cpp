#include "windows/SaveWindow.h"

#include <utility>

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
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

void SaveWindow::closeEvent(QCloseEvent* event)
{
    if (m_saving) {
        m_closeWhenSaved = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void SaveWindow::Command1_Click()
{
    if (m_saving) {
        return;
    }
    const QString name = m_name->text();
    const Result<QString> path = m_location.pathFor(name);
    if (!path.ok()) {
        showError(m_location.requestedPath(name), path.reason());
        return;
    }
    MainWindow* main = m_windows.main();
    if (main == nullptr) {
        showError(path.value(), QStringLiteral("Документ не открыт."));
        return;
    }
    setSaving(true);
    // The document is taken as it stands now and read on the thread that writes the file; the program goes
    // on meanwhile, and the confirmation comes once the file is safely written.
    m_platform.writeTextFile(path.value(), main->readDocumentLater(),
        [window = QPointer<SaveWindow>(this), path = path.value()](const Result<WrittenFile>& written) {
            if (window != nullptr) {
                window->saveEndedAs(path, written);
            }
        });
}

void SaveWindow::saveEndedAs(const QString& path, const Result<WrittenFile>& written)
{
    setSaving(false);
    if (!written.ok() || !written.value().unconfirmed.isEmpty()) {
        // A close asked for meanwhile is not carried out: the user learns that the file is not there, or may
        // not be there after a power loss, while the collection is still at hand.
        m_closeWhenSaved = false;
        if (written.ok()) {
            m_platform.showMessage({Message::Icon::Warning, QStringLiteral("Внимание!"),
                QStringLiteral("Файл %1 записан, но может быть ещё не сохранён на диске.\n%2")
                    .arg(QDir::toNativeSeparators(path), written.value().unconfirmed)});
        } else {
            showError(path, written.reason());
        }
        Q_EMIT saveEnded(false);
        return;
    }
    QString message = m_location.savedMessage(path);
    if (written.value().encoding == TextFileEncoding::Utf8WithBom) {
        message += QStringLiteral("\nФайл записан в кодировке UTF-8, потому что в тексте есть символы, "
                                  "которых нет в кодировке Windows-1251.");
    }
    m_platform.showMessage({Message::Icon::Information, QStringLiteral("Оповещение!"), message});
    hide();
    if (std::exchange(m_closeWhenSaved, false)) {
        close();
    }
    Q_EMIT saveEnded(true);
}

void SaveWindow::setSaving(bool saving)
{
    m_saving = saving;
    findChild<QToolButton*>(QStringLiteral("Command1"))->setEnabled(!saving);
}

void SaveWindow::showError(const QString& path, const QString& reason)
{
    m_platform.showMessage({Message::Icon::Warning, QStringLiteral("Ошибка"),
        QStringLiteral("Не удалось сохранить файл %1\n%2").arg(QDir::toNativeSeparators(path), reason)});
}

} // namespace vardelo

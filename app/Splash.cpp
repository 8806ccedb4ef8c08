#include "app/Splash.h"

#include <array>

#include <QIcon>
#include <QLabel>
#include <QPixmap>

#include "platform/PlatformServices.h"
#include "windows/AccessibleRole.h"
#include "windows/LineControl.h"
#include "windows/ProgramWindows.h"
#include "windows/Twips.h"
#include "windows/WindowPlacement.h"

namespace vardelo {

using namespace std::chrono_literals;

namespace {

constexpr TwipsRect ClientArea {0, 0, 3015, 4515};
constexpr TwipsRect Image1 {0, 0, 3000, 4500};
// The window is a pixel larger than the picture so that Line1 and Line4 frame it on the right and below;
// Line1 and Line3 run past the bottom, where the window cuts them off.
constexpr std::array<TwipsLine, 4> Lines {{
    {"Line1", 3000, 0, 3000, 4560, 1},
    {"Line2", 0, 0, 3000, 0, 1},
    {"Line3", 0, 0, 0, 4560, 1},
    {"Line4", 0, 4500, 3000, 4500, 1},
}};
constexpr auto HandOverDelay = 1500ms;

} // namespace

Splash::Splash(PlatformServices& platform, ProgramWindows& windows)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_windows(windows)
{
    setObjectName(QStringLiteral("logotip"));
    setWindowIcon(QIcon(QStringLiteral(":/assets/vardelo.png")));
    setFixedSize(ClientArea.toPixels().size());
    setAccessibleRole(this, QAccessible::Window);
    setAccessibleName(QStringLiteral("Vardelo"));

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(QPixmap(QStringLiteral(":/assets/splash.png")));
    picture->setGeometry(Image1.toPixels());
    picture->setScaledContents(false);
    // What the picture says, for those who cannot see it.
    picture->setAccessibleName(QStringLiteral("Vardelo. Загрузка... Пожалуйста, подождите"));
    // Created after the picture, so the edge lines are drawn over it.
    LineControl::addAll(Lines, this);

    centreOnScreen(this);
    m_timer = platform.createTimer(HandOverDelay, [this] { Timer1_Timer(); });
    m_timer->start();
}

Splash::~Splash() = default;

void Splash::Timer1_Timer()
{
    m_windows.showMain();
    m_timer->stop();
    close();
}

} // namespace vardelo

#include "windows/HelpMessage.h"

#include <QStringList>

#include "platform/PlatformServices.h"

namespace vardelo {

QString helpText()
{
    return QStringList {
        QStringLiteral("Здравствуйте,"),
        QStringLiteral(
            "Благодарим за приобретение данной программы. Программа Vardelo разработана в помощь школьникам, "
            "студентам и вообще тем кто имеет дело со сбором информации. К примеру: Вы нашли в интернет нужную "
            "вам информацию, и хотите перейти по другой ссылке, но для этого необходимо открыть редактор и "
            "скопировать туда информацию. Долго!"),
        QStringLiteral("Vardelo работает по простому принципу: Скопировали текст и он уже в программе ждет пока "
                       "вы с ним что-нибудь сделаете. При следующем копировании текст будет отделен друг от друга "
                       "чертой..."),
        QStringLiteral("Програмист: ") + QString::fromUtf8(Authors),
    }
        .join(QStringLiteral("\r\n"));
}

void showHelp(PlatformServices& platform)
{
    platform.showMessage({Message::Icon::Information, QStringLiteral("Справка"), helpText()});
}

} // namespace vardelo

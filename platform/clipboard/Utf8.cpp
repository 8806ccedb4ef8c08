#include "platform/clipboard/Utf8.h"

#include <QStringDecoder>

namespace vardelo {

QString decodeUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(
        QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

} // namespace vardelo

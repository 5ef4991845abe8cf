#include "base/ui/UiText.h"

#include <QStringDecoder>

QString FromCoreText(std::string_view text) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString decoded = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError())
        return decoded;
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToCoreText(const QString& text) {
    return text.toUtf8().toStdString();
}

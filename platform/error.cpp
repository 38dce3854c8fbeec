#include "platform/error.h"

namespace corvalen {

Error::Error(QString kind, QString message)
    : kind_(std::move(kind)), message_(std::move(message)), what_(message_.toUtf8()) {}

Error databaseError(const QString& message) {
    return Error("EDatabaseError", message);
}
Error engineError(const QString& message) {
    return Error("EOleException", message);
}
Error convertError(const QString& message) {
    return Error("EConvertError", message);
}

Error notAnInteger(const QString& text) {
    return convertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

Error nullToInteger() {
    return Error("EVariantTypeCastError",
                 "Could not convert variant of type (Null) into type (Integer)");
}

Error listIndexError(int index) {
    return Error("EStringListError", QStringLiteral("List index out of bounds (%1)").arg(index));
}

Error fileNotFound() {
    return Error("EFOpenError", "File not found");
}
Error fileAccessDenied() {
    return Error("EInOutError", "File access denied");
}
Error fileError(const QString& kind, const QString& msg) {
    return Error(kind, msg);
}

QString errorMessage(const std::exception& e) {
    if (const auto* error = dynamic_cast<const Error*>(&e))
        return error->message();
    return QString::fromUtf8(e.what());
}

int toInteger(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        throw notAnInteger(text);
    return value;
}

} // namespace corvalen

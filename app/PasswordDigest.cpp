#include "app/PasswordDigest.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace lumo::app {

QString passwordDigest(const QString& password) {
    const QByteArray bytes = password.toUtf8();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.constData(), static_cast<size_t>(bytes.size()), digest, &length, EVP_md5(),
                   nullptr) != 1 ||
        length != 16)
        throw std::runtime_error("MD5 digest failed");
    static const char kDigits[] = "0123456789abcdef";
    QString text;
    text.reserve(32);
    for (unsigned int i = 0; i < length; ++i) {
        text += QLatin1Char(kDigits[digest[i] >> 4]);
        text += QLatin1Char(kDigits[digest[i] & 0x0F]);
    }
    return text;
}

}  // namespace lumo::app

#include "window/Website.h"

#include "cipher/AES.h"
#include "ui/TextRules.h"

namespace {

constexpr std::string_view kWebsiteKey = "Tv3lo#Rd9kQ2mXw7";
// The program's web page, github.com/tavelo/tavelo#readme, enciphered under kWebsiteKey.
constexpr std::string_view kWebsiteHex =
    "1F0000000000000043F8886D0878BBBA5FCE395E69C981E78C10EE42C8A1E71F4370C212CAC5366E";

} // namespace

QString DecipherAddress(std::string_view hexText, std::string_view keyText) {
    const std::vector<uint8_t> plain = DecipherHexText(hexText, keyText, AESKeySize128);
    return TrimBlanks(QString::fromUtf8(reinterpret_cast<const char*>(plain.data()),
                                        static_cast<qsizetype>(plain.size())));
}

QUrl WebsiteUrl() {
    return QUrl(QStringLiteral("http://") + DecipherAddress(kWebsiteHex, kWebsiteKey));
}

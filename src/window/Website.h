#pragma once

#include <QString>
#include <QUrl>
#include <string_view>

// The address of an enciphered form given as hex text (AES-128 under keyText), with the
// zero padding and surrounding blanks removed.
QString DecipherAddress(std::string_view hexText, std::string_view keyText);

// The program's web page: "http://" and the address the program holds enciphered.
QUrl WebsiteUrl();

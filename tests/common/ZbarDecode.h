// Reading code images back with zbar, for the tests of the code images.
#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QString>

#include <string>
#include <vector>

class QImage;

struct ZbarSymbol {
    QString type;     // zbar's name of the symbology ("QR-Code", "EAN-13"...)
    QByteArray data;  // the decoded bytes, as the symbol holds them
};

// Every symbol zbar finds in image. settings are zbar configuration strings
// ("upca.enable", "i25.min-length=2"); QR codes are always read as raw bytes.
std::vector<ZbarSymbol> ZbarDecode(const QImage& image, const std::vector<std::string>& settings = {});

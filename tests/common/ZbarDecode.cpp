#include "ZbarDecode.h"

#include <QtGui/QImage>

#include <zbar.h>

#include <cstring>

std::vector<ZbarSymbol> ZbarDecode(const QImage& image, const std::vector<std::string>& settings) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    const int width = grey.width();
    const int height = grey.height();
    // zbar wants the rows packed; Qt pads them to four bytes.
    std::vector<unsigned char> pixels(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y) std::memcpy(&pixels[size_t(y) * size_t(width)], grey.constScanLine(y), size_t(width));

    zbar::ImageScanner scanner;
    scanner.set_config(zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 1);
    scanner.set_config(zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_BINARY, 1);
    for (const std::string& setting : settings) scanner.set_config(setting);
    zbar::Image frame(unsigned(width), unsigned(height), "Y800", pixels.data(), pixels.size());
    scanner.scan(frame);

    std::vector<ZbarSymbol> symbols;
    for (auto symbol = frame.symbol_begin(); symbol != frame.symbol_end(); ++symbol) {
        const std::string data = symbol->get_data();
        symbols.push_back({QString::fromStdString(symbol->get_type_name()), QByteArray(data.data(), qsizetype(data.size()))});
    }
    frame.set_data(nullptr, 0);
    return symbols;
}

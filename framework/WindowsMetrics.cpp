// System metrics of a classic desktop theme at 96 dpi, fixed so that
// layouts are the same on every machine; the screen size is the primary
// screen's.
#include "Windows.h"

#include <QtGui/QGuiApplication>
#include <QtGui/QScreen>

namespace {

QSize screenSize() {
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

}  // namespace

Integer GetSystemMetrics(Integer index) {
    switch (index) {
        case SM_CXSCREEN: return screenSize().width();
        case SM_CYSCREEN: return screenSize().height();
        case SM_CXFULLSCREEN: return screenSize().width();
        case SM_CYFULLSCREEN: return screenSize().height() - 18;
        case SM_CXVSCROLL:
        case SM_CYHSCROLL:
        case SM_CYVTHUMB:
        case SM_CXHTHUMB: return 17;
        case SM_CYCAPTION: return 18;
        case SM_CXBORDER:
        case SM_CYBORDER: return 1;
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME: return 3;
        case SM_CXEDGE:
        case SM_CYEDGE: return 2;
        case SM_CXFRAME:
        case SM_CYFRAME: return 4;
        case SM_CYMENU: return 19;
        case SM_CXICON:
        case SM_CYICON: return 32;
        case SM_CXSMICON:
        case SM_CYSMICON: return 16;
        default: return 0;
    }
}

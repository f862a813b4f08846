// Metafiles: any bytes either load or raise EInvalidGraphic with a message;
// what loads plays onto a bitmap (stretched and at its own size) and into a
// recording canvas without a fault, and the recording loads again.
// Input: the bytes of a metafile file.
#include "FuzzSupport.h"

#include "Metafile.h"

#include <QtGui/QGuiApplication>

namespace {

// Fonts need a GUI application; the offscreen platform needs no display.
QGuiApplication& App() {
    static int argc = 1;
    static char name[] = "fuzz_metafile";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    return *app;
}

}  // namespace

// Fontconfig keeps the faces it has looked up for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    App();
    TMemoryStream stream;
    stream.WriteBuffer(data, Integer(size));
    stream.SetPosition(0);
    TMetafile metafile;
    try {
        metafile.LoadFromStream(stream);
    } catch (const EInvalidGraphic& e) {
        FUZZ_CHECK(e.Message().startsWith(QStringLiteral("Invalid metafile: ")), "%s", qPrintable(e.Message()));
        return 0;
    }
    FUZZ_CHECK(stream.Position() == metafile.Data().size(), "read %lld of %lld", (long long)stream.Position(),
               (long long)metafile.Data().size());

    TBitmap target;
    target.SetSize(48, 32);
    target.Canvas()->StretchDraw(TRect(0, 0, 48, 32), &metafile);
    target.Canvas()->StretchDraw(TRect(-20, -10, 300, 200), &metafile);

    TMetafile copy;
    copy.SetWidth(48);
    copy.SetHeight(32);
    {
        TMetafileCanvas canvas(&copy);
        canvas.StretchDraw(TRect(0, 0, 48, 32), &metafile);
    }
    TMetafile reloaded;
    reloaded.SetData(copy.Data());
    FUZZ_CHECK(reloaded.Data() == copy.Data(), "a recording does not load back");
    return 0;
}

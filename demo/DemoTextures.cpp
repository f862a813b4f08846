#include "DemoTextures.h"

#include "Graphics.h"

void LoadDemoTexture(TBitmap* Bitmap, const QString& Name) {
    // The tiles live in this static library's resources, which it must
    // register itself.
    static const bool registered = [] {
        Q_INIT_RESOURCE(DemoTextures);
        return true;
    }();
    (void)registered;
    Bitmap->LoadFromResourceName(0, QStringLiteral("textures/") + Name);
}

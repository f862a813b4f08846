// The textures of the demonstration's texture panels and labels: small
// tiles of our own, kept in the program's resources.
#pragma once

#include <QtCore/QString>

class TBitmap;

// Name is "weave" (blue-grey) or "sand" (beige).
void LoadDemoTexture(TBitmap* Bitmap, const QString& Name);

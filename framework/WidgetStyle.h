// The Qt style the framework's widgets are drawn with: the platform's own,
// fed palettes that stay the same for the same colours.
#pragma once

class QPalette;
class QStyle;

// Wraps the application's style once (idempotent; needs the application).
void InstallWidgetStyle();

// A style that draws as base does (and owns it), each drawing with the
// shared palette of its option's colours; without base, as the platform's
// own style: the base for a widget that needs a style of its own.
QStyle* NewWidgetStyle(QStyle* base = nullptr);

// One palette object per set of colours: the given palette when none of
// equal colours was seen, else the one kept for them.
QPalette SharedPalette(const QPalette& palette);

// Helpers for the preview tests: reports produced page by page through the
// report printer, with Latin and Japanese text on every page.
#pragma once

#include "QRPrntr.h"

#include <QtCore/QString>

#include <functional>

class QImage;
class TControl;

// The Latin and the Japanese line of page n.
QString LatinLine(int n);
QString JapaneseLine(int n);

// Begins a document and records count pages; between pages (after each
// NewPage's drawing) calls between(n) when given. Ends the document
// unless keepOpen.
void ProducePages(TQRPrinter& printer, int count, const std::function<void(int)>& between = {},
                  bool keepOpen = false);

// The control's widget as an image (its window grabbed).
QImage GrabControl(TControl* control);

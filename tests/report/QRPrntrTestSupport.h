// Helpers for the page store tests: page bytes shaped like metafiles, the
// reference tools in tools/, and scratch folders.
#pragma once

#include "QRPrntr.h"

#include <QtCore/QByteArray>
#include <QtCore/QString>
#include <QtCore/QStringList>
#include <QtCore/QTemporaryDir>

#include <memory>
#include <vector>

// A whole EMF image in bytes: header record (" EMF" at 40, nBytes at 48),
// size - 128 bytes of drawing records filled from seed, end record.
QByteArray MakeEmfBytes(quint32 seed, int size);
// A page that draws text, lines and boxes as the report pages do, bytes of
// the repeated shape of real page records.
QByteArray MakeReportLikePage(quint32 seed, int records);

// Runs tools/<script> with arguments and input; fails the test on an exit
// code other than expectedExit.
QByteArray RunTool(const QString& script, const QStringList& arguments, const QByteArray& input = {},
                   int expectedExit = 0);

QByteArray CompressBytes(const QByteArray& data);
QByteArray ExpandBytes(const QByteArray& code, Integer count);

// A page list writing into a fresh stream.
std::unique_ptr<TQRPageList> NewPageList(bool compression, Integer memoryLimit = 250000);

QByteArray ReadFileBytes(const QString& path);
// Where each record of a report file (128-byte header) ends, by its links.
std::vector<Integer> RecordEnds(const QByteArray& file);
void WriteFileBytes(const QString& path, const QByteArray& bytes);

// Helpers for the expression tests: the unit started once, one-shot
// evaluation, and readable checks of result records.
#pragma once

#include "QRExpr.h"

#include <gtest/gtest.h>

#include <QtCore/QString>

// Starts the expression unit (library and global environment) once.
inline void StartQRExpr() { InitializeQRExpr(); }

// Prepares, evaluates and unprepares text with an optional local
// environment and data sets.
inline EvalResult Eval(const QString& text, TQREvEnvironment* local = nullptr,
                       TQRDataSetList* dataSets = nullptr) {
    StartQRExpr();
    TQREvaluator e;
    e.SetEnvironment(local);
    if (dataSets) e.SetDataSets(dataSets);
    return e.Calculate(text);
}

inline ::testing::AssertionResult IsInteger(const EvalResult& r, Integer v) {
    if (r.Kind == rkInteger && r.IntResult == v) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "kind " << int(r.Kind) << " int " << r.IntResult
                                         << " text " << r.StrResult.Text().toStdString();
}

inline ::testing::AssertionResult IsFloat(const EvalResult& r, double v) {
    if (r.Kind == rkFloat && r.FloatResult == v) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "kind " << int(r.Kind) << " float " << r.FloatResult
                                         << " text " << r.StrResult.Text().toStdString();
}

inline ::testing::AssertionResult IsBoolean(const EvalResult& r, bool v) {
    if (r.Kind == rkBoolean && r.BoolResult == v) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "kind " << int(r.Kind) << " text "
                                         << r.StrResult.Text().toStdString();
}

inline ::testing::AssertionResult IsString(const EvalResult& r, const QString& v) {
    if (r.Kind == rkString && r.StrResult.Text() == v) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "kind " << int(r.Kind) << " text \""
                                         << r.StrResult.Text().toStdString() << "\"";
}

// The ANSI bytes of a string result, in hexadecimal.
inline ::testing::AssertionResult HasBytes(const EvalResult& r, const char* hex) {
    if (r.Kind == rkString && r.StrResult.Bytes() == QByteArray::fromHex(hex))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "kind " << int(r.Kind) << " bytes "
                                         << r.StrResult.Bytes().toHex().toStdString();
}

inline ::testing::AssertionResult IsError(const EvalResult& r, const QString& message) {
    if (r.Kind == rkError && r.StrResult.Text() == message) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "kind " << int(r.Kind) << " message \""
                                         << r.StrResult.Text().toStdString() << "\"";
}

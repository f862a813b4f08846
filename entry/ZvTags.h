// The application's own values most controls of the library carry (TagA..C,
// TagFloatA..C, TagStringA..C, and on some a fourth string TagString). No
// routine of the library reads them.
#pragma once

#include "Types.h"

#include <QtCore/QString>

template <typename IntT>
class TZvIntTags {
public:
    IntT TagA() const { return a_; }
    IntT TagB() const { return b_; }
    IntT TagC() const { return c_; }
    void SetTagA(IntT v) { a_ = v; }
    void SetTagB(IntT v) { b_ = v; }
    void SetTagC(IntT v) { c_ = v; }

private:
    IntT a_ = 0;
    IntT b_ = 0;
    IntT c_ = 0;
};

class TZvFloatTags {
public:
    Extended TagFloatA() const { return a_; }
    Extended TagFloatB() const { return b_; }
    Extended TagFloatC() const { return c_; }
    void SetTagFloatA(Extended v) { a_ = v; }
    void SetTagFloatB(Extended v) { b_ = v; }
    void SetTagFloatC(Extended v) { c_ = v; }

private:
    Extended a_ = 0;
    Extended b_ = 0;
    Extended c_ = 0;
};

class TZvStringTags {
public:
    const QString& TagStringA() const { return a_; }
    const QString& TagStringB() const { return b_; }
    const QString& TagStringC() const { return c_; }
    void SetTagStringA(const QString& v) { a_ = v; }
    void SetTagStringB(const QString& v) { b_ = v; }
    void SetTagStringC(const QString& v) { c_ = v; }

private:
    QString a_;
    QString b_;
    QString c_;
};

// The fourth string tag of the button, the grid and the grid column.
class TZvTagString {
public:
    const QString& TagString() const { return s_; }
    void SetTagString(const QString& v) { s_ = v; }

private:
    QString s_;
};

// Integer, float and string tags: the usual set.
template <typename IntT>
class TZvUserTags : public TZvIntTags<IntT>, public TZvFloatTags, public TZvStringTags {};

// Small helpers the report units share: scope guards and the design
// surface's scale.
#pragma once

#include "Classes.h"
#include "Types.h"

#include <exception>
#include <utility>

// Sets a flag for the life of the guard, also when an exception passes.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = was_; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag_;
    bool was_;
};

// Runs a cleanup when the scope ends, also when an exception passes. A
// cleanup that fails while an error passes gives way to that error (a
// second one would end the program); on the normal way out its own error
// passes on.
template <class F> class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)), errors_(std::uncaught_exceptions()) {}
    ~ScopeExit() noexcept(false)
    {
        if (std::uncaught_exceptions() == errors_) {
            f_();
            return;
        }
        try {
            f_();
        } catch (...) {
        }
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F f_;
    int errors_;
};

// Points ref at value and moves holder's free notice from the old component
// to the new one, so that ref never outlives what it points at.
template <class T> void ReferTo(TComponent* holder, T*& ref, T* value)
{
    if (ref)
        ref->RemoveFreeNotification(holder);
    ref = value;
    if (ref)
        ref->FreeNotification(holder);
}

// Drops ref when the component it points at is being freed.
template <class T> void ForgetIfRemoved(T*& ref, const TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && ref == AComponent)
        ref = nullptr;
}

// Device units per tenth of a millimetre on the design surface.
inline Extended DesignFactor(Integer zoom) { return Extended(96) / 254 * zoom / 100; }

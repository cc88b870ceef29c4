#ifndef QUORVEX_COMINTERFACE_H
#define QUORVEX_COMINTERFACE_H

#include <windows.h>

// Holds one reference on a COM interface and releases it on every path out of a scope.
template <class TInterface>
class TComInterface
{
public:
    TComInterface() : d_pointer(nullptr) {}
    ~TComInterface() { Reset(); }
    TComInterface(const TComInterface &) = delete;
    TComInterface &operator=(const TComInterface &) = delete;

    TInterface *operator->() const { return d_pointer; }
    TInterface *Get() const { return d_pointer; }
    // For the out parameter of a call that hands over a reference.
    TInterface **Address()
    {
        Reset();
        return &d_pointer;
    }
    void **Void_Address() { return reinterpret_cast<void **>(Address()); }
    void Reset()
    {
        if (d_pointer)
            d_pointer->Release();
        d_pointer = nullptr;
    }

private:
    TInterface *d_pointer;
};

#endif

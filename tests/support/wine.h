#ifndef QUORVEX_WINE_H
#define QUORVEX_WINE_H

// Whether the Windows build runs under Wine, whose COM is an implementation
// of its own: where it differs from Windows, a test says so.
class TWine
{
public:
    static bool Running();
};

#endif

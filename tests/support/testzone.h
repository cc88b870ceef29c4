#ifndef QUORVEX_TESTZONE_H
#define QUORVEX_TESTZONE_H

// The zone a test runs in. Windows' runtime reads TZ only in its own
// POSIX-like form ("GMT0BST"): a zone's name there would make every local time
// wrong. On Windows the zone is the system's (under Wine the host's TZ, which
// CTest sets to the same zone), so the test lets go of TZ and the runtime
// follows the system; elsewhere TZ is set to the zone.
class TTestZone
{
public:
    static void Use(const char *zone);
};

#endif

#ifndef QUORVEX_LOCALZONE_H
#define QUORVEX_LOCALZONE_H

// Keeps local-time conversions cheap. With glibc, every conversion to or from
// local time rereads the zone file (a stat of /etc/localtime and more) while TZ
// is not set; a report over years of records makes hundreds of thousands of
// them. Naming that same file in TZ gives the same zone, read once. Called by
// each program's main before anything else; elsewhere it does nothing.
class TLocalZone
{
public:
    static void Keep_Zone_Read();
};

#endif

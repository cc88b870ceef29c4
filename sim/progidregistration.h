#ifndef QUORVEX_PROGIDREGISTRATION_H
#define QUORVEX_PROGIDREGISTRATION_H

#include <windows.h>

#include <QString>

// A ProgID and its class in the user's part of the registry for as long as the
// object lives, as a server registers itself without administrator rights:
// HKEY_CURRENT_USER\Software\Classes\<ProgID>\CLSID and CLSID\{...}\ProgID.
class TProgIdRegistration
{
public:
    TProgIdRegistration(const QString &prog_id, const CLSID &clsid);
    ~TProgIdRegistration();
    TProgIdRegistration(const TProgIdRegistration &) = delete;
    TProgIdRegistration &operator=(const TProgIdRegistration &) = delete;

    // The registry's status of the first write that failed, ERROR_SUCCESS when all were written.
    LSTATUS Status() const { return d_status; }
    static QString Clsid_Text(const CLSID &clsid);

private:
    LSTATUS Write_Default(const QString &key_name, const QString &value);

    QString d_prog_key;
    QString d_class_key;
    LSTATUS d_status;
};

#endif

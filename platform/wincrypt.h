#ifndef QUORVEX_PLATFORM_WINCRYPT_H
#define QUORVEX_PLATFORM_WINCRYPT_H

#include "wintypes.h"

// Data protection for the user. Windows encrypts with a key of the user's
// logon; this stand-in encrypts and authenticates with a key of the user's
// own, made once in a file of the home folder that only its owner may read
// (~/.dpapi/key, 0600, in a folder of mode 0700). The blob carries the
// secret, as Windows' does: nothing else is written, so a secret replaced
// leaves nothing behind. Blobs of the earlier form, which named a file of
// that folder holding the secret, are still read. The output blob is freed
// with LocalFree, as on Windows.

#define CRYPTPROTECT_UI_FORBIDDEN 0x1

typedef struct _CRYPTOAPI_BLOB
{
    DWORD cbData;
    BYTE *pbData;
} DATA_BLOB;

typedef struct _CRYPTPROTECT_PROMPTSTRUCT CRYPTPROTECT_PROMPTSTRUCT;

extern "C"
{
    BOOL WINAPI CryptProtectData(DATA_BLOB *pDataIn, LPCWSTR szDataDescr, DATA_BLOB *pOptionalEntropy,
                                 PVOID pvReserved, CRYPTPROTECT_PROMPTSTRUCT *pPromptStruct, DWORD dwFlags,
                                 DATA_BLOB *pDataOut);
    BOOL WINAPI CryptUnprotectData(DATA_BLOB *pDataIn, LPWSTR *ppszDataDescr, DATA_BLOB *pOptionalEntropy,
                                   PVOID pvReserved, CRYPTPROTECT_PROMPTSTRUCT *pPromptStruct, DWORD dwFlags,
                                   DATA_BLOB *pDataOut);
}

#endif

#include "md5_win32.h"

#include <windows.h>
#include <wincrypt.h>

namespace stz::standin {
namespace {

struct Provider {
    HCRYPTPROV handle = 0;
    Provider() {
        if (!CryptAcquireContextW(&handle, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) handle = 0;
    }
    ~Provider() {
        if (handle != 0) CryptReleaseContext(handle, 0);
    }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
};

struct Hash {
    HCRYPTHASH handle = 0;
    explicit Hash(HCRYPTPROV provider) {
        if (provider == 0 || !CryptCreateHash(provider, CALG_MD5, 0, 0, &handle)) handle = 0;
    }
    ~Hash() {
        if (handle != 0) CryptDestroyHash(handle);
    }
    Hash(const Hash&) = delete;
    Hash& operator=(const Hash&) = delete;
};

}  // namespace

std::string SystemMd5Hex(std::string_view bytes) {
    Provider provider;
    Hash hash(provider.handle);
    if (hash.handle == 0) return {};
    if (!CryptHashData(hash.handle, reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size()), 0)) {
        return {};
    }
    BYTE digest[16];
    DWORD size = sizeof digest;
    if (!CryptGetHashParam(hash.handle, HP_HASHVAL, digest, &size, 0) || size != 16) return {};
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (BYTE b : digest) {
        hex += kHex[b >> 4];
        hex += kHex[b & 0xF];
    }
    return hex;
}

}  // namespace stz::standin

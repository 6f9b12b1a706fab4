#include "outside/cryptolibrary.h"

#include <openssl/crypto.h>

#include <mutex>

void keepCryptoLibraryForTheProcess()
{
    static std::once_flag done;
    std::call_once(done, [] { OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr); });
}

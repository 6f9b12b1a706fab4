#pragma once

// Keeps OpenSSL's state for as long as the process lives. By default OpenSSL frees it
// from an exit handler; a background thread that is never joined (a download being
// given up, a card that hangs) may still be in a handshake or a digest then, and would
// crash on what was freed under it. Call before any other use of OpenSSL (libcurl and
// Qt's TLS included); later calls do nothing.
void keepCryptoLibraryForTheProcess();

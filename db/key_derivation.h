#pragma once
// The file's encryption key is PBKDF2-HMAC-SHA1 of the password over the
// file's 16-byte salt, 64,000 rounds. The engine derives it at every opening
// at a cost of tens of milliseconds; the application opens the file once per
// window, so the key is derived faster here, once per salt, and handed to
// the engine ready-made.
#include <QByteArray>

namespace merivex::engine
{

constexpr int saltSize = 16;       // at the start of every encrypted file
constexpr int keyRounds = 64000;   // the engine's default for this format
constexpr int derivedKeySize = 32; // AES-256

// PBKDF2 with HMAC-SHA1: size bytes derived from password and salt.
QByteArray pbkdf2Sha1(const QByteArray &password, const QByteArray &salt, int rounds, int size);

// The key the engine would derive from password for a file with this salt,
// remembered for the process: "x'<hex>'", the engine's form of a raw key.
QByteArray rawKeyFor(const QByteArray &password, const QByteArray &salt);

} // namespace merivex::engine

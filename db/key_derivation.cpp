#include "db/key_derivation.h"

// The block function of the library the engine itself uses: one call per
// compression, with the HMAC pads hashed only once per derivation.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

#include <QHash>
#include <QMutex>

#include <array>
#include <cstring>

namespace merivex::engine
{

namespace
{

using Digest = std::array<unsigned char, SHA_DIGEST_LENGTH>;

void putBigEndian(SHA_LONG v, unsigned char *out)
{
    out[0] = static_cast<unsigned char>(v >> 24);
    out[1] = static_cast<unsigned char>(v >> 16);
    out[2] = static_cast<unsigned char>(v >> 8);
    out[3] = static_cast<unsigned char>(v);
}

// HMAC-SHA1 of 20-byte messages under a fixed key: the states after the
// inner and outer pad blocks, and one pre-padded block per step.
class Hmac20
{
public:
    explicit Hmac20(const QByteArray &key)
    {
        unsigned char block[SHA_CBLOCK] = {};
        if (key.size() > SHA_CBLOCK)
            SHA1(reinterpret_cast<const unsigned char *>(key.constData()), size_t(key.size()),
                 block);
        else
            std::memcpy(block, key.constData(), size_t(key.size()));
        unsigned char pad[SHA_CBLOCK];
        for (int i = 0; i < SHA_CBLOCK; ++i)
            pad[i] = block[i] ^ 0x36;
        SHA1_Init(&m_inner);
        SHA1_Update(&m_inner, pad, SHA_CBLOCK);
        for (int i = 0; i < SHA_CBLOCK; ++i)
            pad[i] = block[i] ^ 0x5c;
        SHA1_Init(&m_outer);
        SHA1_Update(&m_outer, pad, SHA_CBLOCK);
        // A 20-byte message after one 64-byte block: 0x80, zeros, and the
        // length of 84 bytes in bits at the end.
        std::memset(m_block, 0, sizeof m_block);
        m_block[SHA_DIGEST_LENGTH] = 0x80;
        m_block[SHA_CBLOCK - 2] = (84 * 8) >> 8;
        m_block[SHA_CBLOCK - 1] = (84 * 8) & 0xff;
    }

    // HMAC of any message, through the library's full interface.
    Digest sign(const unsigned char *message, size_t size) const
    {
        SHA_CTX inner = m_inner;
        Digest digest;
        SHA1_Update(&inner, message, size);
        SHA1_Final(digest.data(), &inner);
        SHA_CTX outer = m_outer;
        SHA1_Update(&outer, digest.data(), digest.size());
        SHA1_Final(digest.data(), &outer);
        return digest;
    }

    // HMAC of a 20-byte message, in place: two compressions.
    void sign20(Digest &message)
    {
        std::memcpy(m_block, message.data(), message.size());
        SHA_CTX c = m_inner;
        SHA1_Transform(&c, m_block);
        store(c, m_block);
        c = m_outer;
        SHA1_Transform(&c, m_block);
        store(c, message.data());
    }

private:
    static void store(const SHA_CTX &c, unsigned char *out)
    {
        putBigEndian(c.h0, out);
        putBigEndian(c.h1, out + 4);
        putBigEndian(c.h2, out + 8);
        putBigEndian(c.h3, out + 12);
        putBigEndian(c.h4, out + 16);
    }

    SHA_CTX m_inner;
    SHA_CTX m_outer;
    unsigned char m_block[SHA_CBLOCK];
};

} // namespace

QByteArray pbkdf2Sha1(const QByteArray &password, const QByteArray &salt, int rounds, int size)
{
    Hmac20 hmac(password);
    QByteArray out;
    for (quint32 blockIndex = 1; out.size() < size; ++blockIndex) {
        QByteArray first = salt;
        first.append(char(blockIndex >> 24)).append(char(blockIndex >> 16));
        first.append(char(blockIndex >> 8)).append(char(blockIndex));
        Digest u = hmac.sign(reinterpret_cast<const unsigned char *>(first.constData()),
                             size_t(first.size()));
        Digest t = u;
        for (int r = 1; r < rounds; ++r) {
            hmac.sign20(u);
            for (size_t i = 0; i < t.size(); ++i)
                t[i] ^= u[i];
        }
        out.append(reinterpret_cast<const char *>(t.data()), qsizetype(t.size()));
    }
    out.truncate(size);
    return out;
}

QByteArray rawKeyFor(const QByteArray &password, const QByteArray &salt)
{
    static QMutex mutex;
    static QHash<QByteArray, QByteArray> known; // salt + password -> raw key
    const QByteArray id = salt + password;
    const QMutexLocker lock(&mutex);
    auto found = known.constFind(id);
    if (found != known.constEnd())
        return *found;
    const QByteArray key = pbkdf2Sha1(password, salt, keyRounds, derivedKeySize);
    const QByteArray raw = "x'" + key.toHex() + "'";
    known.insert(id, raw);
    return raw;
}

} // namespace merivex::engine

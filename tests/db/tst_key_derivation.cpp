// The file key derived outside the engine must be the engine's own, or no
// file written by the engine or its shell could be read.
#include "db/key_derivation.h"

#include <openssl/evp.h>

#include <QRandomGenerator>
#include <QTest>

using namespace merivex::engine;

class TestKeyDerivation : public QObject
{
    Q_OBJECT

private slots:
    // RFC 6070's vectors: one block and several, short and long inputs.
    void publishedVectors_data()
    {
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QByteArray>("salt");
        QTest::addColumn<int>("rounds");
        QTest::addColumn<QByteArray>("key");
        QTest::newRow("1 round") << QByteArray("password") << QByteArray("salt") << 1
                                 << QByteArray("0c60c80f961f0e71f3a9b524af6012062fe037a6");
        QTest::newRow("2 rounds") << QByteArray("password") << QByteArray("salt") << 2
                                  << QByteArray("ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957");
        QTest::newRow("4096 rounds") << QByteArray("password") << QByteArray("salt") << 4096
                                     << QByteArray("4b007901b765489abead49d926f721d065a429c1");
        QTest::newRow("two blocks, long inputs")
            << QByteArray("passwordPASSWORDpassword")
            << QByteArray("saltSALTsaltSALTsaltSALTsaltSALTsalt") << 4096
            << QByteArray("3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038");
        QTest::newRow("zero bytes") << QByteArray("pass\0word", 9) << QByteArray("sa\0lt", 5)
                                    << 4096 << QByteArray("56fa6aa75548099dcc37d7f03425e0c3");
    }
    void publishedVectors()
    {
        QFETCH(QByteArray, password);
        QFETCH(QByteArray, salt);
        QFETCH(int, rounds);
        QFETCH(QByteArray, key);
        QCOMPARE(pbkdf2Sha1(password, salt, rounds, int(key.size() / 2)).toHex(), key);
    }

    // The file's own parameters against the library's PBKDF2, which the
    // engine calls; a password longer than a block is hashed first.
    void sameKeyAsTheEngine()
    {
        QRandomGenerator random(6070);
        for (const QByteArray &password :
             {QByteArray("vexo"), QByteArray(100, 'p'), QByteArray("x'00'")}) {
            QByteArray salt(saltSize, '\0');
            for (char &c : salt)
                c = char(random.bounded(256));
            unsigned char expected[derivedKeySize];
            QVERIFY(
                PKCS5_PBKDF2_HMAC_SHA1(password.constData(), int(password.size()),
                                       reinterpret_cast<const unsigned char *>(salt.constData()),
                                       int(salt.size()), keyRounds, derivedKeySize, expected) == 1);
            const QByteArray reference(reinterpret_cast<const char *>(expected), derivedKeySize);
            QCOMPARE(pbkdf2Sha1(password, salt, keyRounds, derivedKeySize), reference);
            QCOMPARE(rawKeyFor(password, salt), "x'" + reference.toHex() + "'");
            QCOMPARE(rawKeyFor(password, salt), "x'" + reference.toHex() + "'"); // remembered
        }
    }
};

QTEST_APPLESS_MAIN(TestKeyDerivation)
#include "tst_key_derivation.moc"

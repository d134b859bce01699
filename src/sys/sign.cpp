// Keys and detached signatures in minisign's format, with libsodium's
// Ed25519 and BLAKE2b. Every text read here may come from a folder anyone
// can write to: each is bounded, each field is decoded to the exact length it
// must have, and anything else is refused with a phrase.
#include "sys/sign.h"

#include <sodium.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace
{

constexpr std::string_view SGN_UNTRUSTED = "untrusted comment: ";
constexpr std::string_view SGN_TRUSTED = "trusted comment: ";
// minisign reads a trusted comment line into 8 kB; the rest is the prefix.
constexpr size_t SGN_TRUSTED_MAX = 8000;
// A key file is a few hundred bytes, a signature file its trusted comment
// more: anything larger is no key or signature of ours.
constexpr size_t SGN_KEY_TEXT_MAX = 4096;
constexpr size_t SGN_SIG_TEXT_MAX = 16384;

constexpr size_t SGN_KEYNUM = 8;
// "Ed" + key number + public key.
constexpr size_t SGN_PUBLIC_BYTES = 2 + SGN_KEYNUM + crypto_sign_PUBLICKEYBYTES;
// "Ed", the key derivation ("\0\0" for none, "Sc" for scrypt), "B2", then
// the derivation's salt (32), opslimit (8) and memlimit (8), then what a
// passphrase encrypts: key number, secret key and checksum (32).
constexpr size_t SGN_SECRET_BYTES = 2 + 2 + 2 + 32 + 8 + 8 + SGN_KEYNUM + crypto_sign_SECRETKEYBYTES + 32;
constexpr size_t SGN_SECRET_SALT_AT = 6;
constexpr size_t SGN_SECRET_OPS_AT = SGN_SECRET_SALT_AT + crypto_pwhash_scryptsalsa208sha256_SALTBYTES;
constexpr size_t SGN_SECRET_MEM_AT = SGN_SECRET_OPS_AT + 8;
constexpr size_t SGN_SECRET_KEYNUM_AT = SGN_SECRET_MEM_AT + 8;
constexpr size_t SGN_SECRET_SK_AT = SGN_SECRET_KEYNUM_AT + SGN_KEYNUM;
constexpr size_t SGN_SECRET_CHK_AT = SGN_SECRET_SK_AT + crypto_sign_SECRETKEYBYTES;
constexpr size_t SGN_SECRET_LOCKED = SGN_SECRET_BYTES - SGN_SECRET_KEYNUM_AT;
static_assert(SGN_SECRET_KEYNUM_AT == 54 && SGN_SECRET_LOCKED == 104);
// Zarv's own keys take about half a second to unlock; a key file asking
// more than minisign's own keys do is refused, so a file anyone dropped
// cannot make Zarv spend gigabytes.
constexpr uint64_t SGN_OPS_MADE = uint64_t(1) << 24, SGN_MEM_MADE = uint64_t(1) << 28;
constexpr uint64_t SGN_OPS_MOST = crypto_pwhash_scryptsalsa208sha256_OPSLIMIT_SENSITIVE;
constexpr uint64_t SGN_MEM_MOST = crypto_pwhash_scryptsalsa208sha256_MEMLIMIT_SENSITIVE;
// "ED" (or the older "Ed") + key number + signature.
constexpr size_t SGN_SIG_BYTES = 2 + SGN_KEYNUM + crypto_sign_BYTES;

const char* const SGN_WHY_FORMAT = "it is not a signature in minisign's format";

bool sgnReady(void)
{
    static const bool bReady = sodium_init() >= 0;
    return bReady;
}

const unsigned char* bytesOf(std::string_view s)
{
    return reinterpret_cast<const unsigned char*>(s.empty() ? "" : s.data());
}

// The first nMax lines of a text, without their line ends ("\n" or "\r\n").
std::vector<std::string_view> linesOf(std::string_view text, size_t nMax)
{
    std::vector<std::string_view> lines;
    while (!text.empty() && lines.size() < nMax) {
        size_t nEnd = text.find('\n');
        std::string_view line = text.substr(0, nEnd);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        text = nEnd == std::string_view::npos ? std::string_view() : text.substr(nEnd + 1);
    }
    return lines;
}

std::string_view trimmed(std::string_view s)
{
    const char* pszBlank = " \t\r\n";
    size_t nFrom = s.find_first_not_of(pszBlank);
    if (nFrom == std::string_view::npos)
        return {};
    return s.substr(nFrom, s.find_last_not_of(pszBlank) - nFrom + 1);
}

bool startsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

std::string toBase64(const unsigned char* pBytes, size_t nBytes)
{
    std::string str(sodium_base64_ENCODED_LEN(nBytes, sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(str.data(), str.size(), pBytes, nBytes, sodium_base64_VARIANT_ORIGINAL);
    str.resize(str.size() - 1); // its terminating NUL
    return str;
}

// Decodes a base64 line that must hold exactly nBytes.
bool fromBase64(std::string_view line, unsigned char* pBytes, size_t nBytes)
{
    size_t nGot = 0;
    return sodium_base642bin(pBytes, nBytes, line.data(), line.size(), nullptr, &nGot, nullptr,
                             sodium_base64_VARIANT_ORIGINAL) == 0 &&
           nGot == nBytes;
}

// A key number as minisign prints it: a little-endian 64-bit number in
// hex, without leading zeros.
std::string keyIdOf(const unsigned char* pKeynum)
{
    std::string str;
    char sz[3];
    for (size_t i = SGN_KEYNUM; i-- > 0;) {
        std::snprintf(sz, sizeof sz, "%02X", pKeynum[i]);
        str += sz;
    }
    const size_t nFirst = str.find_first_not_of('0');
    return nFirst == std::string::npos ? "0" : str.substr(nFirst);
}

// The base64 line of a key file's text: the line after its untrusted
// comment, or the text's first line where it has none.
std::string_view keyLine(std::string_view text)
{
    std::vector<std::string_view> lines = linesOf(text, 2);
    if (lines.empty())
        return {};
    if (!startsWith(lines[0], SGN_UNTRUSTED))
        return trimmed(lines[0]);
    return lines.size() > 1 ? trimmed(lines[1]) : std::string_view();
}

struct PublicKey {
    unsigned char keynum[SGN_KEYNUM] = {};
    unsigned char pk[crypto_sign_PUBLICKEYBYTES] = {};
};

std::optional<PublicKey> readPublic(const std::string& strPublic)
{
    if (strPublic.size() > SGN_KEY_TEXT_MAX)
        return std::nullopt;
    unsigned char bytes[SGN_PUBLIC_BYTES];
    if (!fromBase64(keyLine(strPublic), bytes, sizeof bytes) || std::memcmp(bytes, "Ed", 2) != 0)
        return std::nullopt;
    PublicKey key;
    std::memcpy(key.keynum, bytes + 2, SGN_KEYNUM);
    std::memcpy(key.pk, bytes + 2 + SGN_KEYNUM, sizeof key.pk);
    return key;
}

// The checksum of a secret key file: BLAKE2b-256 of the algorithm, the key
// number and the secret key.
void secretChecksum(const unsigned char* pFile, unsigned char* pChk)
{
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, 32);
    crypto_generichash_update(&state, pFile, 2);
    crypto_generichash_update(&state, pFile + SGN_SECRET_KEYNUM_AT, SGN_KEYNUM);
    crypto_generichash_update(&state, pFile + SGN_SECRET_SK_AT, crypto_sign_SECRETKEYBYTES);
    crypto_generichash_final(&state, pChk, 32);
    sodium_memzero(&state, sizeof state);
}

uint64_t readLe64(const unsigned char* p)
{
    uint64_t n = 0;
    for (size_t i = 8; i-- > 0;)
        n = n << 8 | p[i];
    return n;
}

void writeLe64(unsigned char* p, uint64_t n)
{
    for (size_t i = 0; i < 8; i++)
        p[i] = static_cast<unsigned char>(n >> (8 * i));
}

// Encrypts or decrypts the key number, secret key and checksum of a secret
// key file as minisign does: XORed with as many bytes of the passphrase's
// scrypt, under the file's own salt and limits. False where scrypt cannot
// run (no memory for it).
bool xorUnderPassphrase(unsigned char* pFile, const char* pszPassphrase)
{
    auto* pStream = static_cast<unsigned char*>(sodium_malloc(SGN_SECRET_LOCKED));
    if (!pStream)
        return false;
    const bool bDone =
        crypto_pwhash_scryptsalsa208sha256(pStream, SGN_SECRET_LOCKED, pszPassphrase, std::strlen(pszPassphrase),
                                           pFile + SGN_SECRET_SALT_AT, readLe64(pFile + SGN_SECRET_OPS_AT),
                                           static_cast<size_t>(readLe64(pFile + SGN_SECRET_MEM_AT))) == 0;
    if (bDone)
        for (size_t i = 0; i < SGN_SECRET_LOCKED; i++)
            pFile[SGN_SECRET_KEYNUM_AT + i] ^= pStream[i];
    sodium_free(pStream);
    return bDone;
}

// A trusted comment as one line minisign can read back: line ends and NULs
// become blanks, and it is cut short (between characters) at 8000 bytes.
std::string trustedLine(const std::string& strTrusted)
{
    std::string str = strTrusted;
    for (char& c : str)
        if (c == '\n' || c == '\r' || c == '\0')
            c = ' ';
    if (str.size() > SGN_TRUSTED_MAX) {
        size_t n = SGN_TRUSTED_MAX;
        while (n > 0 && (static_cast<unsigned char>(str[n]) & 0xC0) == 0x80)
            n--;
        str.resize(n);
    }
    return str;
}

// What the global signature covers: the file's signature and the comment.
std::string globalMessage(const unsigned char* pSig, std::string_view comment)
{
    std::string message(crypto_sign_BYTES + comment.size(), '\0');
    std::memcpy(message.data(), pSig, crypto_sign_BYTES);
    if (!comment.empty())
        std::memcpy(message.data() + crypto_sign_BYTES, comment.data(), comment.size());
    return message;
}

} // namespace

struct _sgnUnlocked {
    unsigned char keynum[SGN_KEYNUM];
    unsigned char sk[crypto_sign_SECRETKEYBYTES];
};

void _sgnUnlockedFree::operator()(_sgnUnlocked* p) const
{
    sodium_free(p); // which wipes it first
}

namespace
{

// A new pair, its secret half encrypted under the passphrase where there is
// one.
_sgnKeyPair newKey(const char* pszPassphrase)
{
    _sgnKeyPair pair;
    if (!sgnReady())
        return pair;
    unsigned char pub[SGN_PUBLIC_BYTES];
    unsigned char sec[SGN_SECRET_BYTES] = {};
    std::memcpy(sec, pszPassphrase ? "EdScB2" : "Ed\0\0B2", 6);
    randombytes_buf(sec + SGN_SECRET_KEYNUM_AT, SGN_KEYNUM);
    unsigned char* pPk = pub + 2 + SGN_KEYNUM;
    crypto_sign_keypair(pPk, sec + SGN_SECRET_SK_AT);
    secretChecksum(sec, sec + SGN_SECRET_CHK_AT);
    std::memcpy(pub, "Ed", 2);
    std::memcpy(pub + 2, sec + SGN_SECRET_KEYNUM_AT, SGN_KEYNUM);
    if (pszPassphrase) {
        randombytes_buf(sec + SGN_SECRET_SALT_AT, crypto_pwhash_scryptsalsa208sha256_SALTBYTES);
        writeLe64(sec + SGN_SECRET_OPS_AT, SGN_OPS_MADE);
        writeLe64(sec + SGN_SECRET_MEM_AT, SGN_MEM_MADE);
        if (!xorUnderPassphrase(sec, pszPassphrase)) {
            sodium_memzero(sec, sizeof sec);
            return pair;
        }
    }
    pair.strSecret = std::string(SGN_UNTRUSTED) + "minisign " + (pszPassphrase ? "encrypted " : "") + "secret key\n" +
                     toBase64(sec, sizeof sec) + "\n";
    pair.strPublic = std::string(SGN_UNTRUSTED) + "minisign public key " + keyIdOf(pub + 2) + "\n" +
                     toBase64(pub, sizeof pub) + "\n";
    sodium_memzero(sec, sizeof sec);
    return pair;
}

// minisign's signature of data: "ED", the key's number and the Ed25519
// signature of the data's BLAKE2b-512.
void signData(std::string_view data, const _sgnUnlocked& key, unsigned char* pSig)
{
    unsigned char hash[crypto_generichash_BYTES_MAX];
    crypto_generichash(hash, sizeof hash, bytesOf(data), data.size(), nullptr, 0);
    std::memcpy(pSig, "ED", 2);
    std::memcpy(pSig + 2, key.keynum, SGN_KEYNUM);
    crypto_sign_detached(pSig + 2 + SGN_KEYNUM, nullptr, hash, sizeof hash, key.sk);
}

} // namespace

_sgnUnlockedPtr sgnUnlock(const std::string& strSecret, const char* pszPassphrase, bool* pbWrong, std::string* pstrWhy)
{
    *pbWrong = false;
    if (!sgnReady()) {
        *pstrWhy = "the key cannot be read: libsodium did not start";
        return nullptr;
    }
    unsigned char bytes[SGN_SECRET_BYTES];
    const bool bRead = strSecret.size() <= SGN_KEY_TEXT_MAX && fromBase64(keyLine(strSecret), bytes, sizeof bytes);
    const bool bLocked = bRead && std::memcmp(bytes + 2, "Sc", 2) == 0;
    const char* pszTorn = nullptr;
    if (!bRead)
        pszTorn = "it is no secret key in minisign's format";
    else if (std::memcmp(bytes, "Ed", 2) != 0 || std::memcmp(bytes + 4, "B2", 2) != 0 ||
             (!bLocked && (bytes[2] != 0 || bytes[3] != 0)))
        pszTorn = "its key is of a kind minisign does not make";
    else if (bLocked &&
             (readLe64(bytes + SGN_SECRET_OPS_AT) > SGN_OPS_MOST || readLe64(bytes + SGN_SECRET_MEM_AT) > SGN_MEM_MOST))
        pszTorn = "it asks for more time or memory to unlock than minisign's own keys do";
    if (pszTorn) {
        sodium_memzero(bytes, sizeof bytes);
        *pstrWhy = std::string("the key file is torn: ") + pszTorn;
        return nullptr;
    }
    // Without a passphrase it is locked: no scrypt is spent on it.
    if (bLocked && !pszPassphrase) {
        sodium_memzero(bytes, sizeof bytes);
        *pbWrong = true;
        return nullptr;
    }
    if (bLocked && !xorUnderPassphrase(bytes, pszPassphrase)) {
        sodium_memzero(bytes, sizeof bytes);
        *pstrWhy = "the key cannot be unlocked: there is not memory enough for it";
        return nullptr;
    }
    // Some minisign versions leave the checksum of a key without a password
    // all zeros; its public half must still be the one its seed makes.
    unsigned char chk[32];
    secretChecksum(bytes, chk);
    const unsigned char* pChk = bytes + SGN_SECRET_CHK_AT;
    const bool bSums = sodium_memcmp(chk, pChk, 32) == 0 || (!bLocked && sodium_is_zero(pChk, 32));
    _sgnUnlockedPtr key(bSums ? static_cast<_sgnUnlocked*>(sodium_malloc(sizeof(_sgnUnlocked))) : nullptr);
    if (key) {
        unsigned char pk[crypto_sign_PUBLICKEYBYTES];
        std::memcpy(key->keynum, bytes + SGN_SECRET_KEYNUM_AT, SGN_KEYNUM);
        crypto_sign_seed_keypair(pk, key->sk, bytes + SGN_SECRET_SK_AT);
        if (sodium_memcmp(key->sk, bytes + SGN_SECRET_SK_AT, sizeof key->sk) != 0) {
            key.reset();
            *pstrWhy = "the key file is torn: its public half is not the one its secret half makes";
        }
    } else if (!bSums && bLocked) {
        *pbWrong = true;
    } else {
        *pstrWhy = bSums ? "the key cannot be unlocked: there is not memory enough for it"
                         : "the key file is torn: its checksum does not match";
    }
    sodium_memzero(bytes, sizeof bytes);
    sodium_memzero(chk, sizeof chk);
    return key;
}

_sgnKeyPair sgnNewKey(void)
{
    return newKey(nullptr);
}

_sgnKeyPair sgnNewLockedKey(const char* pszPassphrase)
{
    return newKey(pszPassphrase ? pszPassphrase : "");
}

void _sgnWipeText::operator()(char* psz) const
{
    sodium_free(psz);
}

_sgnSecretText sgnKeepSecret(const char* pszText)
{
    const size_t nBytes = std::strlen(pszText) + 1;
    _sgnSecretText text(sgnReady() ? static_cast<char*>(sodium_malloc(nBytes)) : nullptr);
    if (text)
        std::memcpy(text.get(), pszText, nBytes);
    return text;
}

std::string sgnUnlockedPublic(const _sgnUnlocked& key)
{
    unsigned char pub[SGN_PUBLIC_BYTES];
    std::memcpy(pub, "Ed", 2);
    std::memcpy(pub + 2, key.keynum, SGN_KEYNUM);
    std::memcpy(pub + 2 + SGN_KEYNUM, key.sk + crypto_sign_SEEDBYTES, crypto_sign_PUBLICKEYBYTES);
    return toBase64(pub, sizeof pub);
}

std::string sgnKeyId(const std::string& strPublic)
{
    std::optional<PublicKey> key = readPublic(strPublic);
    return key ? keyIdOf(key->keynum) : "";
}

std::string sgnPublicLine(const std::string& strPublic)
{
    if (!readPublic(strPublic))
        return "";
    return std::string(keyLine(strPublic));
}

std::string sgnSign(std::string_view data, const std::string& strSecret, const std::string& strTrusted)
{
    bool bWrong = false;
    std::string strWhy;
    _sgnUnlockedPtr key = sgnUnlock(strSecret, nullptr, &bWrong, &strWhy);
    return key ? sgnSignUnlocked(*key, data, strTrusted) : "";
}

std::string sgnSignUnlocked(const _sgnUnlocked& key, std::string_view data, const std::string& strTrusted)
{
    unsigned char sig[SGN_SIG_BYTES];
    signData(data, key, sig);
    std::string strComment = trustedLine(strTrusted);
    const std::string message = globalMessage(sig + 2 + SGN_KEYNUM, strComment);
    unsigned char global[crypto_sign_BYTES];
    crypto_sign_detached(global, nullptr, reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                         key.sk);
    return std::string(SGN_UNTRUSTED) + "signature from minisign secret key\n" + toBase64(sig, sizeof sig) + "\n" +
           std::string(SGN_TRUSTED) + strComment + "\n" + toBase64(global, sizeof global) + "\n";
}

_sgnVerified sgnVerify(std::string_view data, const std::string& strSignature, const std::string& strPublic)
{
    _sgnVerified result;
    std::optional<PublicKey> key = readPublic(strPublic);
    if (!key) {
        result.strWhy = "the public key is not a minisign public key";
        return result;
    }
    if (trimmed(strSignature).empty()) {
        result.strWhy = "there is no signature";
        return result;
    }
    if (!sgnReady()) {
        result.strWhy = "the signature cannot be checked: libsodium did not start";
        return result;
    }
    std::vector<std::string_view> lines = linesOf(strSignature, 5);
    unsigned char sig[SGN_SIG_BYTES];
    unsigned char global[crypto_sign_BYTES];
    if (strSignature.size() > SGN_SIG_TEXT_MAX || lines.size() < 4 || !startsWith(lines[0], SGN_UNTRUSTED) ||
        !startsWith(lines[2], SGN_TRUSTED) || !fromBase64(trimmed(lines[1]), sig, sizeof sig) ||
        !fromBase64(trimmed(lines[3]), global, sizeof global) ||
        (std::memcmp(sig, "ED", 2) != 0 && std::memcmp(sig, "Ed", 2) != 0) ||
        (lines.size() > 4 && !trimmed(strSignature.substr(lines[4].data() - strSignature.data())).empty())) {
        result.strWhy = SGN_WHY_FORMAT;
        return result;
    }
    if (std::memcmp(sig + 2, key->keynum, SGN_KEYNUM) != 0) {
        result.strWhy = "it was signed with another key (ID " + keyIdOf(sig + 2) + ")";
        return result;
    }
    const unsigned char* pSig = sig + 2 + SGN_KEYNUM;
    int nFile;
    if (sig[1] == 'D') {
        unsigned char hash[crypto_generichash_BYTES_MAX];
        crypto_generichash(hash, sizeof hash, bytesOf(data), data.size(), nullptr, 0);
        nFile = crypto_sign_verify_detached(pSig, hash, sizeof hash, key->pk);
    } else {
        nFile = crypto_sign_verify_detached(pSig, bytesOf(data), data.size(), key->pk);
    }
    if (nFile != 0) {
        result.strWhy = "its signature does not verify: the file was changed after it was signed";
        return result;
    }
    std::string_view comment = lines[2].substr(SGN_TRUSTED.size());
    const std::string message = globalMessage(pSig, comment);
    if (crypto_sign_verify_detached(global, reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                                    key->pk) != 0) {
        result.strWhy = "its trusted comment does not verify: it was changed after the file was signed";
        return result;
    }
    result.bGood = true;
    result.strTrusted = std::string(comment);
    return result;
}

std::string sgnKeyIdShown(const std::string& strPublic)
{
    const std::string strId = sgnKeyId(strPublic);
    std::string str;
    for (size_t n = 0; n < strId.size(); n += 4)
        str += (str.empty() ? "" : " ") + strId.substr(n, 4);
    return str;
}

std::string sgnKeyDigest(const std::string& strPublic)
{
    unsigned char bytes[SGN_PUBLIC_BYTES];
    if (strPublic.size() > SGN_KEY_TEXT_MAX || !fromBase64(keyLine(strPublic), bytes, sizeof bytes) ||
        std::memcmp(bytes, "Ed", 2) != 0 || !sgnReady())
        return "";
    unsigned char hash[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(hash, bytes, sizeof bytes);
    std::string str;
    for (size_t n = 0; n < sizeof hash; n++) {
        char sz[3];
        std::snprintf(sz, sizeof sz, "%02X", hash[n]);
        str += (n > 0 && n % 2 == 0 ? " " : "") + std::string(sz);
    }
    return str;
}

bool sgnDigestMatches(const std::string& strPublic, const std::string& strTyped)
{
    const auto bare = [](const std::string& s) {
        std::string str;
        for (char c : s)
            if (c != ' ' && c != '-' && c != '\t')
                str += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        return str;
    };
    const std::string strDigest = bare(sgnKeyDigest(strPublic));
    return !strDigest.empty() && bare(strTyped) == strDigest;
}

std::string sgnSignLine(std::string_view data, const std::string& strSecret)
{
    bool bWrong = false;
    std::string strWhy;
    _sgnUnlockedPtr key = sgnUnlock(strSecret, nullptr, &bWrong, &strWhy);
    unsigned char sig[SGN_SIG_BYTES];
    if (!key)
        return "";
    signData(data, *key, sig);
    return toBase64(sig, sizeof sig);
}

bool sgnVerifyLine(std::string_view data, const std::string& strLine, const std::string& strPublic)
{
    std::optional<PublicKey> key = readPublic(strPublic);
    unsigned char sig[SGN_SIG_BYTES];
    if (!key || !sgnReady() || strLine.size() > SGN_KEY_TEXT_MAX || !fromBase64(strLine, sig, sizeof sig) ||
        std::memcmp(sig, "ED", 2) != 0 || std::memcmp(sig + 2, key->keynum, SGN_KEYNUM) != 0)
        return false;
    unsigned char hash[crypto_generichash_BYTES_MAX];
    crypto_generichash(hash, sizeof hash, bytesOf(data), data.size(), nullptr, 0);
    return crypto_sign_verify_detached(sig + 2 + SGN_KEYNUM, hash, sizeof hash, key->pk) == 0;
}

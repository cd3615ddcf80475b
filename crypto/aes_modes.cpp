// AesEncrypt and AesDecrypt: one unit of data in place under the context's
// mode code, advancing the register R.
//
//   ECB   P = E(P) / D(P); R untouched.
//   CBC   encrypt P = E(P ^ R), R = P; decrypt R = P, P = D(P) ^ old R.
//   CFB   (codes 2, 3, 5; s = code - 1) and error-propagating CFB (codes 10,
//         11, 13; s = code - 9): T = E(R); R shifts left by s bytes;
//         P[j] ^= T[j]; the byte fed back into R[16-s+j] is the ciphertext
//         byte c, or c ^ T[16-s+j] in the error-propagating family, which
//         therefore never resynchronises after a damaged byte.
//   OFB   (codes 14, 15, 17, 21, 29; s = code - 13): R = E(R); P[j] ^= R[j].
// Any other code changes nothing. Only ECB and CBC decryption use the
// inverse cipher.
#include <cstring>

#include <arkseal/base/wipe.h>
#include <arkseal/crypto/aes.h>

namespace arkseal {
namespace {

enum class Family { None, Ecb, Cbc, Cfb, ErrorPropagating, Ofb };

struct ModeShape {
    Family family;
    int unit;
};

ModeShape ShapeOf(std::int32_t mode) {
    switch (mode) {
        case MODE_ECB: return {Family::Ecb, 16};
        case MODE_CBC: return {Family::Cbc, 16};
        case MODE_CFB8:
        case MODE_CFB16:
        case MODE_CFB32: return {Family::Cfb, mode - 1};
        case MODE_XCFB8:
        case MODE_XCFB16:
        case MODE_XCFB32: return {Family::ErrorPropagating, mode - 9};
        case MODE_OFB8:
        case MODE_OFB16:
        case MODE_OFB32:
        case MODE_OFB64:
        case MODE_OFB128: return {Family::Ofb, mode - 13};
        default: return {Family::None, 0};
    }
}

void FeedbackStep(AesContext& context, std::uint8_t* p, int s, bool errorPropagating, bool decrypt) {
    std::uint8_t* r = context.feedback;
    std::uint8_t t[16];
    std::memcpy(t, r, 16);
    std::memmove(r, r + s, static_cast<std::size_t>(16 - s));
    AesEncryptBlock(context, t);
    for (int j = 0; j < s; ++j) {
        const std::uint8_t in = p[j];
        p[j] = in ^ t[j];
        const std::uint8_t c = decrypt ? in : p[j];
        r[16 - s + j] = errorPropagating ? c ^ t[16 - s + j] : c;
    }
    SecureWipe(t, sizeof t);
}

void OutputFeedbackStep(AesContext& context, std::uint8_t* p, int s) {
    AesEncryptBlock(context, context.feedback);
    for (int j = 0; j < s; ++j) p[j] ^= context.feedback[j];
}

void CbcEncrypt(AesContext& context, std::uint8_t* p) {
    for (int j = 0; j < 16; ++j) p[j] ^= context.feedback[j];
    AesEncryptBlock(context, p);
    std::memcpy(context.feedback, p, 16);
}

void CbcDecrypt(AesContext& context, std::uint8_t* p) {
    std::uint8_t t[16];
    std::memcpy(t, context.feedback, 16);
    std::memcpy(context.feedback, p, 16);
    AesDecryptBlock(context, p);
    for (int j = 0; j < 16; ++j) p[j] ^= t[j];
    SecureWipe(t, sizeof t);
}

void Transform(AesContext& context, std::uint8_t* unit, bool decrypt) {
    const ModeShape shape = ShapeOf(context.mode);
    switch (shape.family) {
        case Family::None: return;
        case Family::Ecb: decrypt ? AesDecryptBlock(context, unit) : AesEncryptBlock(context, unit); return;
        case Family::Cbc: decrypt ? CbcDecrypt(context, unit) : CbcEncrypt(context, unit); return;
        case Family::Cfb: FeedbackStep(context, unit, shape.unit, false, decrypt); return;
        case Family::ErrorPropagating: FeedbackStep(context, unit, shape.unit, true, decrypt); return;
        case Family::Ofb: OutputFeedbackStep(context, unit, shape.unit); return;
    }
}

}  // namespace

void AesEncrypt(AesContext& context, std::uint8_t* unit) { Transform(context, unit, false); }

void AesDecrypt(AesContext& context, std::uint8_t* unit) { Transform(context, unit, true); }

}  // namespace arkseal

// Establishing a link: connecting its device, agreeing on features with the other end, and
// handing the link to the token engines.
//
// The negotiation (both ends run it at once; every send is flushed):
//   1. send "Corvi net"; read the peer's 9 bytes: "Corvi net" is form 1, "Corvinet" and a blank
//      or tab form 2;
//   2. send a blank and our level digit; read the peer's level; the smaller one holds;
//   3. from level 2, send the library line; from level 3 also our features line;
//   4. read the peer's lines as far as its form and the level call for.

#include "ArgvText.h"
#include "AsciiText.h"
#include "EngineStates.h"
#include "Environment.h"
#include "ExportGuard.h"
#include "Launch.h"
#include "Link.h"
#include "OpenOptions.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace corvinet {
namespace {

constexpr std::string_view kGreeting = "Corvi net";
constexpr std::string_view kLibraryLine = "\n-libraryid '!&*' -decoders 0\n";
constexpr std::string_view kUniqueId = "UniqueID";
constexpr std::size_t kMaxLine = 512;
constexpr std::size_t kMaxLevelWord = 503;

// The set bits of a mask as ascending decimal numbers joined by commas.
std::string maskList(const FeatureMask& mask) {
    std::string list;
    for (unsigned bit = 0; bit < 128; ++bit) {
        if (!maskHas(mask, bit)) continue;
        if (!list.empty()) list += ',';
        char digits[4];
        list.append(digits, std::to_chars(digits, digits + sizeof digits, bit).ptr);
    }
    return list;
}

// Adds the listed bits that `accept` lets through; false for a malformed list.
template <class Accept>
bool addList(std::string_view list, FeatureMask& mask, Accept accept) {
    while (!list.empty()) {
        std::size_t comma = list.find(',');
        uint32_t bit = 0;
        if (!parseOptionNumber(list.substr(0, comma), bit)) return false;
        if (bit < 128 && accept(bit)) maskSet(mask, bit);
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
    }
    return true;
}

// Parses a feature string into `out` (whose other fields stay), judging the peer's lists by
// whether it carries our own identifiers. False when the string is not a feature string.
bool parseFeatures(std::string_view text, QKENV env, LinkFeatures& out) {
    std::vector<std::string> words = splitWords(text);
    if (words.empty()) return false;
    std::string_view numericsId = kUniqueId, textId = kUniqueId, formats = "1", tokens;
    out.decoders = kDefaultDecoders;
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::string_view word = words[i];
        bool known = equalsIgnoringCase(word, "Corvinet") ||
                     equalsIgnoringCase(word, "-numericsid") ||
                     equalsIgnoringCase(word, "-tokens") || equalsIgnoringCase(word, "-textid") ||
                     equalsIgnoringCase(word, "-formats") || equalsIgnoringCase(word, "-decoders");
        if (!known) continue;
        if (i + 1 == words.size()) return false;
        std::string_view value = words[++i];
        uint32_t number = 0;
        if (equalsIgnoringCase(word, "Corvinet")) {
            if (!parseOptionNumber(value, number) || number > 255) return false;
            out.level = static_cast<int32_t>(number);
        } else if (equalsIgnoringCase(word, "-decoders")) {
            if (!parseOptionNumber(value, number)) return false;
            out.decoders = number;
        } else if (equalsIgnoringCase(word, "-numericsid")) {
            numericsId = value;
        } else if (equalsIgnoringCase(word, "-textid")) {
            textId = value;
        } else if (equalsIgnoringCase(word, "-tokens")) {
            tokens = value;
        } else {
            formats = value;
        }
    }
    bool sameNumerics = numericsId != kUniqueId && numericsId == env->numericsId;
    bool sameText = textId != kUniqueId && textId == env->textId;
    out.tokens = {};
    out.formats = {};
    if (!addList(tokens, out.tokens, [&](unsigned bit) { return sameNumerics || (bit & 0x20); }))
        return false;
    if (formats.empty())
        maskSet(out.formats, 7);
    else if (!addList(formats, out.formats, [&](unsigned bit) { return sameText || bit < 8; }))
        return false;
    return true;
}

// Keeps what this end also offers, and this end's converter.
LinkFeatures maskedByEnvironment(LinkFeatures features, QKENV env) {
    for (std::size_t i = 0; i < features.tokens.size(); ++i) {
        features.tokens[i] &= env->features.tokens[i];
        features.formats[i] &= env->features.formats[i];
    }
    features.converter = env->features.converter;
    return features;
}

class Negotiation {
public:
    explicit Negotiation(QKLINK link) : m_stream(link->stream), m_env(link->env()) {}

    int run(LinkFeatures& out) {
        if (int error = send(kGreeting)) return error;
        char greeting[9];
        if (m_stream.getBytes(greeting, sizeof greeting) != sizeof greeting)
            return QKERR_ACCEPT_FAILED;
        std::string_view peer(greeting, sizeof greeting);
        bool form1 = peer == kGreeting;
        if (!form1 && !(peer.starts_with("Corvinet") && (peer[8] == ' ' || peer[8] == '\t')))
            return QKERR_ACCEPT_FAILED;

        int ours = std::min(m_env->highestLevel, 3);
        const char levelText[] = {' ', static_cast<char>('0' + ours)};
        if (int error = send({levelText, sizeof levelText})) return error;
        int peerLevel = 0;
        if (!readLevel(form1, peerLevel)) return QKERR_ACCEPT_FAILED;
        int level = std::min(ours, peerLevel);

        if (level >= 2) {
            if (int error = send(kLibraryLine)) return error;
        }
        if (level >= 3) {
            if (int error = send(featuresLine())) return error;
        }

        out = LinkFeatures{};
        out.decoders = 0;
        out.level = level;
        maskSet(out.formats, 7);
        if (form1) {
            if (level < 2) return 0;
            uint8_t first = 0;
            if (m_stream.getByte(first) != 0 || (first != '\n' && first != '\r'))
                return 0; // the peer sent no library line: the plain defaults hold
            std::string line;
            if (!readLine(line)) return QKERR_ACCEPT_FAILED;
            out.decoders = kDefaultDecoders;
            if (level == 2) return 0;
        }
        out.formats = {};
        std::string line;
        if (!readLine(line) || !parseFeatures(line, m_env, out)) return QKERR_ACCEPT_FAILED;
        out.level = level;
        return 0;
    }

private:
    int send(std::string_view bytes) {
        if (const LinkError error = m_stream.putBytes(bytes.data(), bytes.size()))
            return error.code();
        return m_stream.flush().code();
    }

    std::string featuresLine() {
        std::string tokens = maskList(m_env->features.tokens);
        std::string formats = maskList(m_env->features.formats);
        const char* words[] = {"-numericsid", m_env->numericsId, "-tokens",  tokens.c_str(),
                               "-textid",     m_env->textId,     "-formats", formats.c_str()};
        char line[kMaxLine];
        printWords(line, line + sizeof line - 1, words, std::size(words));
        return std::string(line) + '\n';
    }

    // Form 1: two digits (a blank counts as 0). Form 2: a decimal word ending at a byte 9 to 13.
    bool readLevel(bool form1, int& level) {
        if (form1) {
            uint8_t digits[2];
            if (m_stream.getBytes(digits, 2) != 2) return false;
            level = (digits[0] & 0x0F) * 10 + (digits[1] & 0x0F);
            return true;
        }
        std::string word;
        for (;;) {
            uint8_t byte = 0;
            if (m_stream.getByte(byte) != 0 || word.size() > kMaxLevelWord) return false;
            if (byte >= 9 && byte <= 13) break;
            word += static_cast<char>(byte);
        }
        auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), level);
        return ec == std::errc() && end == word.data() + word.size();
    }

    // The bytes up to the next newline or carriage return, at most kMaxLine of them.
    bool readLine(std::string& line) {
        line.clear();
        for (;;) {
            uint8_t byte = 0;
            if (m_stream.getByte(byte) != 0) return false;
            if (byte == '\n' || byte == '\r') return true;
            if (line.size() == kMaxLine) return false;
            line += static_cast<char>(byte);
        }
    }

    LinkStream& m_stream;
    QKENV m_env;
};

// Connects the device, sets up the output buffer, agrees on features (unless given) and hands
// the link to the token engines. 0, or the error. Only the device's connect may answer "not
// yet" (25 or 41): once bytes of the exchange have gone out, a retry would send the opening
// again into the middle of it, so a later stop ends the link (error 1).
int establish(QKLINK link, const LinkFeatures* given) {
    DeviceLink& device = *link->device;
    LinkEnvironment& linkEnv = *link->linkEnv;
    if (device.device) {
        if (int answer = device.device(device.deviceStream, DEVICE_CONNECT, nullptr, nullptr)) {
            bool notYet = answer == QKERR_ABORTED || answer == QKERR_NOT_LISTENING;
            // A launched program that has ended will never connect.
            if (notYet && link->launch && launchedProgramEnded(*link->launch))
                return QKERR_LINK_DIED;
            return answer;
        }
        uint8_t* buffer = nullptr;
        int32_t size = 0;
        if (int answer = device.device(device.deviceStream, DEVICE_GETOUTBUF, &buffer, &size))
            return answer == QKERR_ABORTED || answer == QKERR_NOT_LISTENING ? QKERR_LINK_DIED
                                                                            : answer;
        device.start = device.cursor = buffer;
        device.limit = buffer ? buffer + std::max(size, 0) : buffer;
    } else {
        if (!device.loopbackBuffer) {
            device.loopbackBuffer =
                static_cast<uint8_t*>(linkEnv.allocate(DeviceLink::kLoopbackBufferSize));
            if (!device.loopbackBuffer) return QKERR_OUT_OF_MEMORY;
        }
        device.start = device.cursor = device.loopbackBuffer;
        device.limit = device.loopbackBuffer + DeviceLink::kLoopbackBufferSize;
    }
    device.flushed = 0;

    LinkFeatures features;
    if (given) {
        features = *given;
    } else if (int error = Negotiation(link).run(features)) {
        return error == QKERR_ABORTED || error == QKERR_NOT_LISTENING ? QKERR_LINK_DIED : error;
    }
    link->features = maskedByEnvironment(features, link->env());
    if (int error = attachEngines(link, link->features)) {
        if (!device.device) {
            linkEnv.free(device.loopbackBuffer);
            device.loopbackBuffer = device.start = device.cursor = device.limit = nullptr;
        }
        return error;
    }
    link->stream.markDataStart();
    link->established = true;
    return 0;
}

} // namespace
} // namespace corvinet

QK_API int32_t QKEstablish(QKLINK link, const LinkFeatures* features) noexcept try {
    if (!link) return 0;
    if (link->error != QKERR_UNCONNECTED) return link->error == 0;
    int result = corvinet::establish(link, features);
    if (result == 0) {
        link->clearError();
        return 1;
    }
    if (result != QKERR_ABORTED && result != QKERR_NOT_LISTENING) link->error = QKERR_LINK_DIED;
    return 0;
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKConnect(QKLINK link) noexcept try {
    return QKEstablish(link, nullptr);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKEstablishString(QKLINK link, const char* features) noexcept try {
    if (!link) return 0;
    LinkFeatures parsed;
    parsed.level = link->env()->highestLevel;
    if (!corvinet::parseFeatures(features ? features : "", link->env(), parsed)) {
        if (link->error == QKERR_UNCONNECTED) link->error = QKERR_LINK_DIED;
        return 0;
    }
    return QKEstablish(link, &parsed);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKFeatureString(QKLINK link, char* buffer, int32_t size) noexcept try {
    if (!link) return -1;
    if (!buffer || size <= 0) return 8;
    const LinkFeatures& features = link->features;
    char level[12], decoders[12];
    *std::to_chars(level, level + sizeof level - 1, features.level).ptr = '\0';
    *std::to_chars(decoders, decoders + sizeof decoders - 1, features.decoders).ptr = '\0';
    std::string tokens = corvinet::maskList(features.tokens);
    std::string formats = corvinet::maskList(features.formats);
    const char* words[] = {"Corvinet", level,           "-tokens",   tokens.c_str(),
                           "-formats", formats.c_str(), "-decoders", decoders};
    return corvinet::printWords(buffer, buffer + size, words, std::size(words));
} catch (...) {
    return corvinet::exportFailed<int32_t>(link, -1);
}

// Opening links from option words: loopback links, device links, and the launch of a program
// that connects back (Launch.cpp). The words' syntax is in OpenOptions.h.

#include "ArgvText.h"
#include "AsciiText.h"
#include "DeviceLoader.h"
#include "Environment.h"
#include "ExportGuard.h"
#include "Launch.h"
#include "OpenOptions.h"

#include <charconv>
#include <string>
#include <vector>

namespace corvinet {
namespace {

constexpr int kMaxStringWords = 32;
constexpr int kMaxAskedWords = 19;
constexpr std::size_t kAskedBuffer = 256;
constexpr std::size_t kDeviceNameSize = 256;

void report(int32_t* error, int32_t code) {
    if (error) *error = code;
}

QKLINK openLoopback(QKENV env, int32_t* error, const char* features) {
    if (!env) {
        report(error, QKERR_NO_ENVIRONMENT);
        return nullptr;
    }
    QKLINK link = QKCreate0(env, nullptr, nullptr, error);
    if (!link) return nullptr;
    int32_t established =
        features ? QKEstablishString(link, features) : QKEstablish(link, &env->features);
    if (!established) {
        report(error, link->error);
        QKClose(link);
        return nullptr;
    }
    return link;
}

QKLINK namedLoopback(QKENV env, const std::string& name, int32_t* error) {
    QKLINK link = openLoopback(env, error, nullptr);
    if (link && !name.empty() && !QKSetName(link, name.c_str())) {
        QKClose(link);
        report(error, QKERR_OUT_OF_MEMORY);
        return nullptr;
    }
    return link;
}

// The six zero-terminated texts of the open-argument block, one after another.
std::string openBlock(const OpenOptions& o) {
    std::string block;
    for (const std::string& text : {o.protocol, std::to_string(o.mode), o.name, o.host,
                                    o.authentication, std::to_string(o.options)}) {
        block += text;
        block += '\0';
    }
    return block;
}

} // namespace

QKLINK openDeviceLink(QKENV env, const OpenOptions& options, int32_t* error) {
    DeviceMakeResult made = makeDeviceStream(env, openBlock(options).c_str());
    if (made.error == 0) {
        char name[kDeviceNameSize] = "";
        int32_t size = sizeof name - 1;
        if (made.main(made.stream, DEVICE_INFO + 1, name, &size) == 0 && size >= 0)
            name[std::min<int32_t>(size, sizeof name - 1)] = '\0';
        else
            name[0] = '\0';
        QKLINK link = QKCreate0(env, made.main, made.stream, error);
        if (!link) {
            made.main(made.stream, DEVICE_CLOSE, nullptr, nullptr);
            return nullptr;
        }
        if (!QKSetName(link, name)) {
            QKClose(link);
            report(error, QKERR_OUT_OF_MEMORY);
            return nullptr;
        }
        if (env->defaultYield) QKSetYieldFunction(link, env->defaultYield);
        return link;
    }
    if (made.error == QKERR_NO_MODE && (options.mode & QKMODE_LAUNCH))
        return launchLink(env, options, error);
    bool local = made.error == QKERR_NO_PROTOCOL &&
                 equalsIgnoringCase(std::string_view(options.protocol).substr(0, 5), "Local");
    if ((made.error == QKERR_NO_MODE || local) && (options.mode & QKMODE_LOOPBACK))
        return namedLoopback(env, options.name, error);
    report(error, made.error);
    return nullptr;
}

QKLINK openFromWords(QKENV env, const char* const* words, std::size_t count, int32_t* error) {
    if (!env) {
        report(error, QKERR_NO_ENVIRONMENT);
        return nullptr;
    }
    OpenOptions options;
    parseOpenOptions(words, count, options);
    if (!options.present) {
        if (QKRequestToInteract(env, 1) && !(options.options & kDontInteract)) {
            char* asked[kMaxAskedWords + 1] = {};
            char buffer[kAskedBuffer] = "";
            int32_t n = QKRequestArgv(env, asked, kMaxAskedWords, buffer, sizeof buffer);
            if (n > 0) parseOpenOptions(asked, static_cast<std::size_t>(n), options);
            if (n <= 0 || !options.present) {
                report(error, QKERR_FEW_ARGUMENTS);
                return nullptr;
            }
        } else {
            uint32_t kept = options.options;
            options = OpenOptions{};
            options.options = kept;
            options.mode = QKMODE_PARENTCONNECT;
        }
    }
    QKLINK link = nullptr;
    if (options.protocol.empty() && options.device.empty() && (options.mode & QKMODE_LOOPBACK)) {
        link = namedLoopback(env, options.name, error);
    } else {
        if (options.protocol.empty() && options.mode == 0)
            options.mode = options.name.empty() ? QKMODE_PARENTCONNECT : QKMODE_LAUNCH;
        link = openDeviceLink(env, options, error);
    }
    if (link) {
        report(error, 0);
        if (!(options.options & kDontInteract) && options.mode == QKMODE_LISTEN &&
            options.name.empty()) {
            std::string text =
                std::string("Link created on: ") + (QKName(link) ? QKName(link) : "") + "\n";
            QKAlert(env, text.c_str());
        }
    }
    return link;
}

} // namespace corvinet

using corvinet::guarded;

namespace {

// The open functions report memory running out through their error out-pointer.
template <class Body>
QKLINK guardedOpen(int32_t* error, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        if (error) *error = corvinet::caughtError();
        return nullptr;
    }
}

} // namespace

QK_API QKLINK QKLoopbackOpen(QKENV env, int32_t* error) noexcept {
    return guardedOpen(error, [&] { return corvinet::openLoopback(env, error, nullptr); });
}

QK_API QKLINK QKLoopbackOpen0(QKENV env, const char* features, int32_t* error) noexcept {
    return guardedOpen(error, [&] { return corvinet::openLoopback(env, error, features); });
}

QK_API QKLINK QKOpenArgv(QKENV env, char** first, char** end, int32_t* error) noexcept {
    return guardedOpen(error, [&] {
        std::size_t count = first && end > first ? static_cast<std::size_t>(end - first) : 0;
        return corvinet::openFromWords(env, first, count, error);
    });
}

QK_API QKLINK QKOpenInEnv(QKENV env, int32_t argc, char** argv, int32_t* error) noexcept {
    return guardedOpen(error, [&] {
        std::size_t count = argv && argc > 0 ? static_cast<std::size_t>(argc) : 0;
        return corvinet::openFromWords(env, argv, count, error);
    });
}

QK_API QKLINK QKOpenString(QKENV env, const char* string, int32_t* error) noexcept {
    return guardedOpen(error, [&] {
        std::vector<std::string> words = corvinet::splitWords(string ? string : "");
        if (words.size() > corvinet::kMaxStringWords) words.resize(corvinet::kMaxStringWords);
        std::vector<const char*> pointers;
        for (const std::string& word : words)
            pointers.push_back(word.c_str());
        return corvinet::openFromWords(env, pointers.data(), pointers.size(), error);
    });
}

QK_API QKLINK QKOpen(int32_t argc, char** argv) noexcept {
    return guardedOpen(nullptr, [&] {
        QKENV env = QKInitialize(nullptr);
        std::size_t count = argv && argc > 0 ? static_cast<std::size_t>(argc) : 0;
        return corvinet::openFromWords(env, argv, count, nullptr);
    });
}

QK_API QKLINK QKOpenS(const char* string) noexcept {
    return QKOpenString(QKInitialize(nullptr), string, nullptr);
}

QK_API char** QKFilterArgv0(QKENV env, char** first, char** end) noexcept {
    return guarded<char**>(end, [&]() -> char** {
        if (!env || !first || end <= first) return end;
        std::size_t count = static_cast<std::size_t>(end - first);
        corvinet::OpenOptions options;
        std::vector<bool> consumed;
        corvinet::parseOpenOptions(first, count, options, &consumed);
        char** out = first;
        for (std::size_t i = 0; i < count; ++i)
            if (!consumed[i]) *out++ = first[i];
        return out;
    });
}

// The other process of the two-process link tests. It opens a link from its first argument (an
// option string), says its link name, connects and then plays one script:
//   echo     answers every expression it reads with Reply[expression], until the link ends
//   sleep    reads nothing and waits to be killed
//   message  sends urgent message 7, then reports the first urgent message it receives
//   burst N close|exit
//            sends Packet[i, burstText(i)] for i below N, each flushed on its own, then at once
//            closes its link, or ends the process without closing it
// It writes one line per event to standard output ("name ...", "connected", "end <error>",
// "message <code> <parameter>") and never waits longer than its yield function allows.

#include "BurstText.h"
#include "corvinet/corvinet.h"
#include "corvinet/qkwire.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);

int32_t stopAtDeadline(QKLINK, QKYieldParameters) {
    return std::chrono::steady_clock::now() > deadline ? 1 : 0;
}

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

bool copyExpression(QKLINK from, QKLINK to, int depth) {
    if (depth > 64) return false;
    switch (QKGetNext(from)) {
    case QKTOK_FUNCTION: {
        int32_t count = 0;
        if (!QKGetArgCount(from, &count) || !QKPutNext(to, QKTOK_FUNCTION) ||
            !QKPutArgCount(to, count))
            return false;
        for (int32_t i = 0; i <= count; ++i) // the head, then the arguments
            if (!copyExpression(from, to, depth + 1)) return false;
        return true;
    }
    case QKTOK_SYMBOL: {
        const char* name = nullptr;
        if (!QKGetSymbol(from, &name)) return false;
        bool put = QKPutSymbol(to, name);
        QKDisownSymbol(from, name);
        return put;
    }
    case QKTOK_STRING: {
        const char* text = nullptr;
        if (!QKGetString(from, &text)) return false;
        bool put = QKPutString(to, text);
        QKDisownString(from, text);
        return put;
    }
    case QKTOK_INTEGER: {
        int32_t value = 0;
        return QKGetInteger(from, &value) && QKPutInteger(to, value);
    }
    case QKTOK_REAL: {
        double value = 0;
        return QKGetDouble(from, &value) && QKPutDouble(to, value);
    }
    default:
        return false;
    }
}

int echo(QKLINK link) {
    for (;;) {
        if (!QKPutFunction(link, "Reply", 1) || !copyExpression(link, link, 0) ||
            !QKEndPacket(link) || !QKFlush(link)) {
            say("end " + std::to_string(QKError(link)));
            return 0;
        }
    }
}

int message(QKLINK link) {
    if (!QKPutMessage(link, 7)) say("put " + std::to_string(QKError(link)));
    while (std::chrono::steady_clock::now() < deadline) {
        int32_t code = 0;
        int32_t parameter = 0;
        if (QKMessageReady(link) && QKGetMessage(link, &code, &parameter) == 1) {
            say("message " + std::to_string(code) + " " + std::to_string(parameter));
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Stay until the test closes its end.
    QKGetNext(link);
    say("end " + std::to_string(QKError(link)));
    return 0;
}

// Sends the packets of a burst, each ended and flushed at once; false when one cannot go.
bool burst(QKLINK link, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        std::string text = devices::testing::burstText(i);
        if (!QKPutFunction(link, "Packet", 2) || !QKPutInteger(link, i) ||
            !QKPutString(link, text.c_str()) || !QKEndPacket(link) || !QKFlush(link)) {
            say("end " + std::to_string(QKError(link)));
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    QKENV env = QKInitialize(nullptr);
    int32_t error = 0;
    QKLINK link = QKOpenString(env, argv[1], &error);
    if (!link) {
        say("open " + std::to_string(error));
        return 3;
    }
    QKYieldFunctionObject yielder = QKCreateYieldFunction(env, stopAtDeadline, nullptr);
    QKSetYieldFunction(link, yielder);
    say(std::string("name ") + QKName(link));
    if (!QKConnect(link)) {
        say("connect " + std::to_string(QKError(link)));
        return 4;
    }
    say("connected");
    std::string script = argv[2];
    int result = 2;
    if (script == "echo")
        result = echo(link);
    else if (script == "message")
        result = message(link);
    else if (script == "sleep")
        std::this_thread::sleep_until(deadline);
    else if (script == "burst" && argc >= 5) {
        result = burst(link, std::atoi(argv[3])) ? 0 : 5;
        // Ending the process this way runs no clean-up at all: the link is simply gone.
        if (std::string(argv[4]) == "exit") std::_Exit(result);
    }
    QKClose(link);
    QKDestroyYieldFunction(yielder);
    QKDeinitialize(env);
    return result;
}

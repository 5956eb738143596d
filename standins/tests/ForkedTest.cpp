// Work in a child process: its bytes come back whole, a child that dies or is stopped answers
// no bytes, the stop is honoured within moments, and the child holds none of the parent's
// descriptors. The bytes between them read back as written, and bytes cut short are refused.

#include "Forked.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace standin {
namespace {

using Clock = std::chrono::steady_clock;

Expr sample() {
    Expr e = Expr::call("TYPlus", {Expr::integerText("123456789012345678901234567890"),
                                   Expr::realText("0.1415926535897932384626"), Expr::machine(2.5),
                                   Expr::string("a \"text\"\n"), Expr::symbol("x")});
    Expr compound = Expr::call("", {Expr::integer(1)});
    compound.compoundHead =
        std::make_shared<const Expr>(Expr::call("Derivative", {Expr::integer(1)}));
    e.args.push_back(std::move(compound));
    return e;
}

std::string written(const Expr& e) {
    ByteWriter out;
    out.write(e);
    out.write(std::optional<Expr>());
    out.write(std::vector<double>{1.5, -0.25});
    out.write(true);
    return out.take();
}

TEST(Bytes, ReadBackAsWrittenAndRefusedWhenCutShort) {
    const Expr e = sample();
    const std::string bytes = written(e);
    ByteReader in(bytes);
    Expr back;
    std::optional<Expr> none = Expr::integer(3);
    std::vector<double> values;
    bool flag = false;
    in.read(back);
    in.read(none);
    in.read(values);
    in.read(flag);
    EXPECT_TRUE(back == e) << linearText(back);
    ASSERT_TRUE(back.args.back().compoundHead);
    EXPECT_TRUE(*back.args.back().compoundHead == *e.args.back().compoundHead);
    EXPECT_EQ(back.args[1].text, "0.1415926535897932384626");
    EXPECT_FALSE(back.args[1].machineReal);
    EXPECT_FALSE(none);
    EXPECT_EQ(values, (std::vector<double>{1.5, -0.25}));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(in.atEnd());

    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        const std::string shorter = bytes.substr(0, cut);
        ByteReader partial(shorter);
        EXPECT_THROW(
            {
                partial.read(back);
                partial.read(none);
                partial.read(values);
                partial.read(flag);
            },
            ByteReader::Malformed)
            << "cut at " << cut;
    }
}

TEST(Forked, TheChildsBytesComeBackAndItsEndIsTold) {
    const std::atomic<bool> never{false};
    struct Case {
        const char* name;
        std::function<std::string()> work;
        ForkedEnd end;
        std::string bytes;
    };
    const Case cases[] = {
        {"answers", [] { return std::string(200000, 'a') + "z"; }, ForkedEnd::Answered,
         std::string(200000, 'a') + "z"},
        {"answers nothing", [] { return std::string(); }, ForkedEnd::Answered, ""},
        {"throws", []() -> std::string { throw std::runtime_error("no"); }, ForkedEnd::Died, ""},
        {"is killed",
         []() -> std::string {
             ::kill(::getpid(), SIGKILL);
             return "never";
         },
         ForkedEnd::Died, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ForkedResult result = runForked(c.work, never);
        EXPECT_EQ(result.end, c.end);
        EXPECT_EQ(result.bytes, c.bytes);
    }
}

TEST(Forked, AStopEndsTheChildAtOnce) {
    std::atomic<bool> stop{false};
    std::thread press([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop = true;
    });
    const auto start = Clock::now();
    const ForkedResult result = runForked(
        [] {
            // Deaf to everything but a kill.
            ::signal(SIGTERM, SIG_IGN);
            while (true)
                std::this_thread::sleep_for(std::chrono::seconds(1));
            return std::string();
        },
        stop);
    press.join();
    EXPECT_EQ(result.end, ForkedEnd::Interrupted);
    EXPECT_TRUE(result.bytes.empty());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
}

// The link's descriptors stay with the kernel: a child holding them would keep the link alive
// in the editor's eyes after the kernel itself has gone.
TEST(Forked, TheChildHoldsNoneOfTheParentsDescriptors) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::atomic<bool> never{false};
    const ForkedResult result = runForked(
        [&] {
            std::string open;
            for (int fd : ends)
                open += ::fcntl(fd, F_GETFD) == -1 ? '-' : '+';
            return open;
        },
        never);
    ::close(ends[0]);
    ::close(ends[1]);
    EXPECT_EQ(result.end, ForkedEnd::Answered);
    EXPECT_EQ(result.bytes, "--");
}

} // namespace
} // namespace standin

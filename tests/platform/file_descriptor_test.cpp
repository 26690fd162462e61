#include "platform/file_descriptor.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>

#include "support/test_support.h"

namespace {

bool IsOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1;
}

void Ignore(int) {}

// Interrupts blocking calls every 200 microseconds while it lives: a handler without
// SA_RESTART makes read and write return early with EINTR or a short count.
class SignalStorm {
  public:
    SignalStorm() {
        struct sigaction action {};
        action.sa_handler = &Ignore;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGALRM, &action, &previous);
        const itimerval every{{0, 200}, {0, 200}};
        ::setitimer(ITIMER_REAL, &every, nullptr);
    }
    ~SignalStorm() {
        const itimerval off{};
        ::setitimer(ITIMER_REAL, &off, nullptr);
        ::sigaction(SIGALRM, &previous, nullptr);
    }
    SignalStorm(const SignalStorm&) = delete;
    SignalStorm& operator=(const SignalStorm&) = delete;

  private:
    struct sigaction previous {};
};

TEST(FileDescriptor, PipedBytesArriveWholeThroughSignalsAndShortCounts) {
    // The side that waits is the one the signals reach: a reader waiting on an empty
    // pipe gets EINTR, a writer waiting on a full one EINTR or a short count; a read
    // larger than the pipe holds comes back short by itself.
    const struct {
        const char* what;
        std::size_t writeChunk;
        std::size_t readChunk;
        bool interruptReader;
    } cases[] = {
        {"reader waits for a slow writer", 512, 1 << 20, true},
        {"writer waits for a slow reader", 1 << 20, 512, false},
    };
    std::string sent(4 << 20, '\0');
    for (std::size_t i = 0; i < sent.size(); ++i) {
        sent[i] = static_cast<char>(i * 131 / 7);
    }
    sigset_t alarm;
    sigemptyset(&alarm);
    sigaddset(&alarm, SIGALRM);
    for (const auto& c : cases) {
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        const UniqueFd reader(ends[0]);
        UniqueFd writer(ends[1]);
        std::string received;
        bool written = true;
        bool shortRead = false;
        {
            const SignalStorm storm;
            std::thread feeder([&] {
                if (c.interruptReader) {
                    ::pthread_sigmask(SIG_BLOCK, &alarm, nullptr);
                }
                for (std::size_t at = 0; at < sent.size() && written; at += c.writeChunk) {
                    written =
                        WriteAll(writer.get(), std::string_view(sent).substr(at, c.writeChunk))
                            .ok();
                }
                writer = UniqueFd();
            });
            if (!c.interruptReader) {
                ::pthread_sigmask(SIG_BLOCK, &alarm, nullptr);
            }
            std::string block(c.readChunk, '\0');
            for (;;) {
                const Expected<std::size_t> got = ReadAll(reader.get(), block.data(), block.size());
                if (!got.ok() || *got == 0) {
                    shortRead = !got.ok();
                    break;
                }
                received.append(block, 0, *got);
                if (*got < block.size() && received.size() < sent.size()) {
                    shortRead = true;
                    break;
                }
            }
            // A failed read leaves the writer waiting: let it finish into nowhere.
            for (char sink[4096];;) {
                const ssize_t drained = ::read(reader.get(), sink, sizeof sink);
                if (drained == 0 || (drained < 0 && errno != EINTR)) {
                    break;
                }
            }
            feeder.join();
            ::pthread_sigmask(SIG_UNBLOCK, &alarm, nullptr);
        }
        EXPECT_TRUE(written) << c.what;
        EXPECT_FALSE(shortRead) << c.what << ": only the pipe's end may cut a read short";
        EXPECT_EQ(received.size(), sent.size()) << c.what;
        EXPECT_TRUE(received == sent) << c.what;
    }
}

TEST(FileDescriptor, ReadsAtAnOffsetLeavingThePositionAlone) {
    TempDir dir;
    WriteFileBytes(dir / "digits", "0123456789");
    const UniqueFd fd(::open((dir / "digits").c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_TRUE(fd.valid());
    constexpr auto kLargest = static_cast<std::uint64_t>(LLONG_MAX);
    const struct {
        std::uint64_t offset;
        std::size_t size;
        ssize_t count;  // -1: refused with EINVAL
        std::string bytes;
    } cases[] = {
        {0, 4, 4, "0123"}, {6, 10, 4, "6789"},    {10, 1, 0, ""},
        {3, 0, 0, ""},     {kLargest, 1, -1, ""}, {kLargest + 5, 1, -1, ""},
    };
    for (const auto& c : cases) {
        std::string buffer(c.size, '-');
        const Expected<std::size_t> count =
            ReadAllAt(fd.get(), c.offset, buffer.data(), buffer.size());
        if (!count.ok()) {
            EXPECT_EQ(c.count, -1) << c.offset;
            EXPECT_EQ(count.failure().error(), EINVAL) << c.offset;
            continue;
        }
        EXPECT_EQ(static_cast<ssize_t>(*count), c.count) << c.offset;
        EXPECT_EQ(buffer.substr(0, *count), c.bytes) << c.offset;
    }
    char start[3];
    const Expected<std::size_t> read = ReadAll(fd.get(), start, sizeof start);
    ASSERT_TRUE(read.ok());
    ASSERT_EQ(*read, 3u);
    EXPECT_EQ(std::string(start, 3), "012");
}

TEST(FileDescriptor, EachDescriptorIsClosedOnceByItsLastOwner) {
    const int first = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int second = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    {
        UniqueFd owner(first);
        UniqueFd moved(std::move(owner));
        EXPECT_FALSE(owner.valid());
        EXPECT_EQ(moved.get(), first);
        moved = UniqueFd(second);
        EXPECT_FALSE(IsOpen(first)) << "replaced, so closed";
        EXPECT_TRUE(IsOpen(second));
        errno = ENOSPC;
    }
    EXPECT_EQ(errno, ENOSPC) << "closing on the way out keeps a failure's errno";
    EXPECT_FALSE(IsOpen(second));

    UniqueFd closing(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    const int number = closing.get();
    EXPECT_TRUE(closing.Close().ok());
    EXPECT_FALSE(IsOpen(number));
    EXPECT_TRUE(closing.Close().ok()) << "a second Close has nothing to close";
}

}  // namespace

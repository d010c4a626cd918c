#pragma once
// A pipe for the report's tests: the test holds the reading end and decides whether and when it
// is read.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <string>

// A pipe whose reading end the test holds; optionally filled up first, so that every further
// write blocks until the test reads.
class CTestPipe {
public:
    CTestPipe() { EXPECT_EQ(::pipe(m_fds), 0); }
    ~CTestPipe() {
        CloseReader();
        ::close(m_fds[1]);
    }
    int Writer() const { return m_fds[1]; }

    // Returns how many bytes it took to fill the pipe.
    std::size_t Fill() {
        int flags = ::fcntl(m_fds[1], F_GETFL);
        ::fcntl(m_fds[1], F_SETFL, flags | O_NONBLOCK);
        std::size_t filled = 0;
        char block[512];
        std::fill(std::begin(block), std::end(block), '#');
        ssize_t written;
        while ((written = ::write(m_fds[1], block, sizeof block)) > 0) {
            filled += static_cast<std::size_t>(written);
        }
        ::fcntl(m_fds[1], F_SETFL, flags);
        return filled;
    }
    // Reads `count` bytes and forgets them.
    void Skip(std::size_t count) {
        char block[512];
        while (count > 0) {
            ssize_t got = ::read(m_fds[0], block, std::min(count, sizeof block));
            ASSERT_GT(got, 0);
            count -= static_cast<std::size_t>(got);
        }
    }
    // Everything written so far, once the writer has drained.
    std::string ReadAvailable() {
        std::string text;
        int flags = ::fcntl(m_fds[0], F_GETFL);
        ::fcntl(m_fds[0], F_SETFL, flags | O_NONBLOCK);
        char block[512];
        ssize_t got;
        while ((got = ::read(m_fds[0], block, sizeof block)) > 0) {
            text.append(block, static_cast<std::size_t>(got));
        }
        ::fcntl(m_fds[0], F_SETFL, flags);
        return text;
    }
    void CloseReader() {
        if (m_fds[0] >= 0) {
            ::close(m_fds[0]);
            m_fds[0] = -1;
        }
    }

private:
    int m_fds[2] = {-1, -1};
};

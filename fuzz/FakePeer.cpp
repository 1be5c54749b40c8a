#include "FakePeer.h"

#include "VelaSocket.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <vector>

FakePeer::FakePeer(PeerProtocol protocol, QByteArray answers)
    : m_protocol(std::move(protocol)), m_answers(std::move(answers))
{
    // A library that hung up is no reason to die of SIGPIPE.
    ::signal(SIGPIPE, SIG_IGN);
    if (::pipe(m_stop) != 0)
        std::abort();
}

FakePeer::~FakePeer()
{
    finish();
    ::close(m_stop[0]);
    ::close(m_stop[1]);
}

void FakePeer::serveListener(int listener)
{
    m_thread = std::thread([this, listener] { run(listener, true); });
}

void FakePeer::serveStream(int fd)
{
    m_thread = std::thread([this, fd] { run(fd, false); });
}

void FakePeer::finish()
{
    if (!m_thread.joinable())
        return;
    const char byte = 0;
    if (::write(m_stop[1], &byte, 1) != 1)
        std::abort();
    m_thread.join();
}

bool FakePeer::waitReadable(int fd)
{
    pollfd fds[2] = {{fd, POLLIN, 0}, {m_stop[0], POLLIN, 0}};
    while (::poll(fds, 2, -1) < 0) {
        if (errno != EINTR)
            return false;
    }
    return !fds[1].revents && fds[0].revents;
}

bool FakePeer::readAll(int fd, uint8_t* data, size_t size)
{
    for (size_t done = 0; done < size;) {
        if (!waitReadable(fd))
            return false;
        const ssize_t n = ::read(fd, data + done, size - done);
        if (n > 0)
            done += size_t(n);
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return false;
    }
    return true;
}

void FakePeer::run(int fd, bool listening)
{
    if (!listening) {
        serveConnection(fd);
        ::close(fd);   // a pseudo-terminal's reader sees the line go dead
        return;
    }
    for (bool more = true; waitReadable(fd);) {
        VelaNet::Fd connection = VelaNet::acceptTcp(fd);
        if (connection.valid() && more)
            more = serveConnection(connection.get());
    }
}

bool FakePeer::serveConnection(int fd)
{
    std::vector<uint8_t> request(m_protocol.headerSize);
    while (readAll(fd, request.data(), m_protocol.headerSize)) {
        const size_t payload = m_protocol.payloadSize(request.data());
        std::vector<uint8_t> sink(payload);
        if (!readAll(fd, sink.data(), payload))
            return true;
        const qsizetype size = std::min<qsizetype>(qsizetype(m_protocol.answerSize(request.data())),
                                                   m_answers.size() - m_at);
        // Bytes the library does not read any more (it gave up on a bad header) are lost.
        for (qsizetype done = 0; done < size;) {
            const ssize_t n = ::write(fd, m_answers.constData() + m_at + done, size_t(size - done));
            if (n > 0) {
                done += n;
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd out{fd, POLLOUT, 0};
                ::poll(&out, 1, 100);
            } else {
                break;
            }
        }
        m_at += size;
        if (m_at >= m_answers.size())
            return false;
        if (m_protocol.hangsUpAfter && m_protocol.hangsUpAfter(request.data()))
            return true;
    }
    return true;
}

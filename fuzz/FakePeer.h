#pragma once

// A stand-in sensor for the device library's links, played by a thread: it answers every
// request with the next bytes of the fuzz input, as many as the answer to that request takes,
// and hangs up once the input is used up. So the library reads hostile answers through its own
// code, and never waits for bytes that do not come.

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>

struct PeerProtocol
{
    size_t headerSize;                                      // first bytes of every request
    std::function<size_t(const uint8_t* header)> payloadSize;   // request bytes after the header
    std::function<size_t(const uint8_t* header)> answerSize;    // bytes of the answer
    std::function<bool(const uint8_t* header)> hangsUpAfter;    // the sensor closes after answering
};

class FakePeer
{
public:
    FakePeer(PeerProtocol protocol, QByteArray answers);
    ~FakePeer();

    // Serves every connection made to the listening socket, one after another.
    void serveListener(int listener);
    // Serves one stream (a pseudo-terminal's master side, which it closes when done).
    void serveStream(int fd);
    // Stops serving; call once the device object is gone.
    void finish();

private:
    void run(int fd, bool listening);
    bool serveConnection(int fd);   // false: the input is used up
    bool readAll(int fd, uint8_t* data, size_t size);
    bool waitReadable(int fd);

    PeerProtocol m_protocol;
    QByteArray m_answers;
    qsizetype m_at = 0;
    int m_stop[2] = {-1, -1};
    std::thread m_thread;
};

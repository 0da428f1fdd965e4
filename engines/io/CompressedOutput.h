#pragma once

#include "engines/io/StreamCompressor.h"

#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

namespace kelvanto
{

// A StreamCompressor whose work between flushes is done on a thread of its own, so that the
// thread that renders a dump goes on while the bytes before are compressed (the way a
// compressor in a second process beside a dump tool does).
//
// Double-buffered: a Continue piece is copied to the compression thread, which compresses it
// while the writer gathers the next; the writer waits only when it hands over a piece before
// the thread is done with the one before. The compressed bytes of a piece come out of the
// call after it, and all of them by the Flush or End that follows, which compresses its own
// piece in the writer's thread once the compression thread is idle: a flush waits for
// everything before it, so the guarantees of StreamCompressor hold at every flush.
// A failure of the library on the thread fails the next call, as it would have failed this
// one. The thread starts with the first Continue piece (a file written only by flushes has
// none) and is joined by the destructor; without a thread, everything is compressed in the
// writer's thread.
class CompressedOutput
{
public:
    using Mode = StreamCompressor::Mode;

    // `level` 0: the library's default. Kind None is refused by valid().
    CompressedOutput(Compression kind, int level);
    ~CompressedOutput();
    CompressedOutput(const CompressedOutput&) = delete;
    CompressedOutput& operator=(const CompressedOutput&) = delete;

    // False when the library could not set up the stream (no memory, a level out of range).
    bool valid() const { return m_stream.valid(); }
    Compression kind() const { return m_stream.kind(); }

    // Compresses `input` and appends to `out` the compressed bytes that are ready (with Flush
    // and End, all of them); false when the library failed now or on the thread (the stream
    // is then unusable).
    bool Compress(std::string_view input, Mode mode, std::string& out);
    // Whether bytes were given since the last Flush or End.
    bool HoldsInput() const { return m_holdsInput; }

private:
    // Waits until the thread is idle and appends what it made to `out`; false when it failed.
    bool Collect(std::string& out);
    bool StartThread();
    void Work(std::stop_token stop);

    StreamCompressor m_stream; // used by the thread while m_busy, by the writer otherwise
    bool m_holdsInput = false;
    bool m_noThread = false; // the thread could not be started: the writer compresses

    std::mutex m_mutex;
    std::condition_variable_any m_changed;
    bool m_busy = false; // the thread owns m_piece, m_pieceOutput and m_stream
    bool m_failed = false;
    std::string m_piece;
    std::string m_pieceOutput;
    // Last: stopped and joined before the members it uses go.
    std::jthread m_thread;
};

} // namespace kelvanto

#include "engines/io/CompressedOutput.h"

#include <system_error>
#include <utility>

namespace kelvanto
{

CompressedOutput::CompressedOutput(Compression kind, int level)
    : m_stream(kind, level)
{ }

// The thread, declared last, is stopped and joined first; a piece it is compressing is
// finished, its output dropped.
CompressedOutput::~CompressedOutput() = default;

bool CompressedOutput::Compress(std::string_view input, Mode mode, std::string& out)
{
    if (!input.empty())
        m_holdsInput = true;
    bool ok = Collect(out);
    if (ok && mode == Mode::Continue && !input.empty() && !m_noThread && (m_thread.joinable() || StartThread())) {
        {
            std::lock_guard lock(m_mutex);
            m_piece.assign(input);
            m_busy = true;
        }
        m_changed.notify_all();
        return true;
    }
    // The thread is idle (or there is none): the writer has the stream to itself.
    ok = ok && m_stream.Compress(input, mode, out);
    if (ok && mode != Mode::Continue)
        m_holdsInput = false;
    return ok;
}

bool CompressedOutput::Collect(std::string& out)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_busy; });
    if (m_failed)
        return false;
    if (out.empty())
        std::swap(out, m_pieceOutput); // the buffers trade places instead of a copy
    else
        out.append(m_pieceOutput);
    m_pieceOutput.clear();
    return true;
}

bool CompressedOutput::StartThread()
{
    try {
        m_thread = std::jthread([this](std::stop_token stop) { Work(std::move(stop)); });
        return true;
    } catch (const std::system_error&) {
        // No thread to be had (a limit of the system): the writer compresses, as it would
        // with one core.
        m_noThread = true;
        return false;
    }
}

void CompressedOutput::Work(std::stop_token stop)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_changed.wait(lock, stop, [this] { return m_busy; }))
            return; // stopped, with nothing handed over
        lock.unlock();
        const bool ok = m_stream.Compress(m_piece, Mode::Continue, m_pieceOutput);
        lock.lock();
        if (!ok)
            m_failed = true;
        m_busy = false;
        m_changed.notify_all();
    }
}

} // namespace kelvanto

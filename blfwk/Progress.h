#pragma once

namespace blfwk {

//! Holder of the callback that a data phase calls once per data packet.
class Progress
{
public:
    //! percentage, segment index, segment count
    typedef void (*progress_callback_t)(int, int, int);

    explicit Progress(progress_callback_t callback = nullptr, bool *abortPhase = nullptr)
        : m_segmentIndex(1)
        , m_segmentCount(1)
        , m_progressCallback(callback)
        , m_abortPhase(abortPhase)
    {
    }

    void registerCallback(progress_callback_t callback, bool *abortPhase)
    {
        m_progressCallback = callback;
        m_abortPhase = abortPhase;
    }

    void progressCallback(int percentage)
    {
        if (m_progressCallback)
        {
            m_progressCallback(percentage, m_segmentIndex, m_segmentCount);
        }
    }

    int m_segmentIndex;
    int m_segmentCount;
    progress_callback_t m_progressCallback;
    bool *m_abortPhase; //!< not owned
};

} // namespace blfwk

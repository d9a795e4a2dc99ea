#pragma once

#include <QtGlobal>
#include <ctime>

// Receives the time each stage of a frame took; only benchmarks install one.
class EngineProfiler
{
public:
    enum Stage
    {
        GreyAndBlur,
        FaceDetection,
        Landmarks,
        HeadMotion, // following the face to hold the eye squares still
        FlowAndStatistics,
        Detector,
        ClosureLookBack, // a candidate's deepest frames, looked at again (within Detector)
        PreviewDrawing,
        StageCount
    };

    virtual ~EngineProfiler() = default;
    virtual void record(Stage stage, qint64 nanoseconds) = 0;
    // Called once per processed frame, after its stages.
    virtual void frameDone() {}
};

// Times one stage into the profiler, or does nothing when there is none. The time is the engine
// thread's CPU time: on a shared machine the wall clock also counts the time other processes hold
// the core.
class ProfiledStage
{
public:
    ProfiledStage(EngineProfiler* profiler, EngineProfiler::Stage stage)
        : m_profiler(profiler), m_stage(stage)
    {
        if (m_profiler) {
            m_start = threadCpuNs();
        }
    }
    ~ProfiledStage()
    {
        if (m_profiler) {
            m_profiler->record(m_stage, threadCpuNs() - m_start);
        }
    }
    ProfiledStage(const ProfiledStage&) = delete;
    ProfiledStage& operator=(const ProfiledStage&) = delete;

    // The calling thread's CPU time.
    static qint64 threadCpuNs()
    {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return static_cast<qint64>(now.tv_sec) * 1000000000 + now.tv_nsec;
    }

private:
    EngineProfiler* m_profiler;
    EngineProfiler::Stage m_stage;
    qint64 m_start = 0;
};

#pragma once

#include <QtGlobal>
#include <chrono>

// Receives the time each stage of a frame took; only benchmarks install one.
class EngineProfiler
{
public:
    enum Stage
    {
        GreyAndBlur,
        FaceDetection,
        Landmarks,
        FlowAndStatistics,
        Detector,
        PreviewDrawing,
        StageCount
    };

    virtual ~EngineProfiler() = default;
    virtual void record(Stage stage, qint64 nanoseconds) = 0;
    // Called once per processed frame, after its stages.
    virtual void frameDone() {}
};

// Times one stage into the profiler, or does nothing when there is none.
class ProfiledStage
{
public:
    ProfiledStage(EngineProfiler* profiler, EngineProfiler::Stage stage)
        : m_profiler(profiler), m_stage(stage)
    {
        if (m_profiler) {
            m_start = std::chrono::steady_clock::now();
        }
    }
    ~ProfiledStage()
    {
        if (m_profiler) {
            m_profiler->record(m_stage, std::chrono::duration_cast<std::chrono::nanoseconds>(
                                            std::chrono::steady_clock::now() - m_start)
                                            .count());
        }
    }
    ProfiledStage(const ProfiledStage&) = delete;
    ProfiledStage& operator=(const ProfiledStage&) = delete;

private:
    EngineProfiler* m_profiler;
    EngineProfiler::Stage m_stage;
    std::chrono::steady_clock::time_point m_start;
};

#pragma once

#include <opencv2/core.hpp>
#include <vector>

// Gunnar Farneback's dense flow with box-window averaging, computed as OpenCV's
// calcOpticalFlowFarneback computes it: the same pyramid, polynomial expansion, border weights
// and update order in the same precision, so the vectors are the same to the bit. It is built
// for the small squares around the eyes, where OpenCV's version took most of the engine's time:
// the buffers live as long as the object, each coefficient has a plane of its own so that the
// loops run along rows and vectorise, and the matrices' interpolation, the largest part, runs
// eight pixels at a time with AVX2 where the CPU has it.
class FarnebackFlow
{
public:
    struct Parameters
    {
        double pyramidScale; // each level's size against the next finer one's
        int levels;          // coarser levels beyond the image itself, while 32 px or more
        int window;          // side of the box the normal equations are averaged over
        int iterations;      // per level
        int polyN;           // the expansion's neighbourhood: 2 polyN + 1 pixels across
        double polySigma;    // its Gaussian's standard deviation
    };

    explicit FarnebackFlow(const Parameters& parameters);

    // previous and next: 8-bit grey images of one size. flow receives CV_32FC2 vectors from
    // previous to next; it may be a view into a larger buffer of that size and type.
    void calc(const cv::Mat& previous, const cv::Mat& next, cv::Mat& flow);

private:
    // A level's images, one plane per channel, stacked: channel c's row y is row c * height + y.
    void expand(const cv::Mat& image, cv::Mat& planes);
    void updateMatrices(const cv::Mat& r0, const cv::Mat& r1, const cv::Mat& flow, cv::Mat& m);
    void updateFlow(const cv::Mat& r0, const cv::Mat& r1, cv::Mat& flow, cv::Mat& m,
                    bool refreshMatrices);

    Parameters m_parameters;
    // The expansion's Gaussian and its moments, and the inverse moment matrix's entries it needs.
    std::vector<float> m_g, m_xg, m_xxg; // over [-polyN, polyN]
    double m_ig11 = 0, m_ig03 = 0, m_ig33 = 0, m_ig55 = 0;

    cv::Mat m_float, m_blurred, m_level;
    cv::Mat m_r[2], m_m;
    cv::Mat m_levelFlow[2];           // the flow's two planes, this level and the coarser one
    cv::Mat m_flowPlane[2];           // one plane of the coarser flow, resized
    std::vector<float> m_rows;        // the expansion's vertical pass: three padded planes
    std::vector<double> m_sums;       // its horizontal pass: six planes
    std::vector<double> m_window;     // the box window's column sums: five padded planes
    std::vector<float> m_borderScale; // the border weights across a row
};
